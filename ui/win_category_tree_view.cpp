#include "ui/win_category_tree_view.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/win_controls.h"
#include "ui/win_dpi.h"
#include "ui/win_gdi.h"

namespace kelvane {

namespace {

// The tree's state images, `size` pixels square: index 0 ticked (never used), 1 empty
// box, 2 ticked box.
UniqueImageList BuildStateImages(int size) {
  UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 3, 0));
  for (int i = 0; i < 3; ++i) {
    const ScopedGdi<HBITMAP> bitmap = PaintedBitmap(nullptr, size, size, [&](HDC dc) {
      RECT all{0, 0, size, size};
      FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      RECT box{size / 16, size / 16, size - size / 8, size - size / 8};
      DrawFrameControl(dc, &box, DFC_BUTTON,
                       DFCS_BUTTONCHECK | DFCS_FLAT | (i == 1 ? 0 : DFCS_CHECKED));
    });
    ImageList_AddMasked(list.Get(), bitmap.Get(), RGB(255, 255, 255));
  }
  return list;
}

}  // namespace

CategoryTreeView::~CategoryTreeView() = default;

HWND CategoryTreeView::Create(HWND parent, int id, HFONT font, int x, int y, int width,
                              int height) {
  hwnd_ =
      CreateChild(parent, "SysTreeView32", "",
                  TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS | WS_TABSTOP,
                  x, y, width, height, id, font);
  TreeView_SetTextColor(hwnd_, RGB(0, 0, 255));
  TreeView_SetIndent(hwnd_, 19);
  stateImages_ = BuildStateImages(16);
  TreeView_SetImageList(hwnd_, stateImages_.Get(), TVSIL_STATE);
  SetWindowSubclass(hwnd_, &TreeProc, 1, reinterpret_cast<DWORD_PTR>(this));
  Build();
  return hwnd_;
}

void CategoryTreeView::ApplyDpi(UINT dpi, HFONT font) {
  // Images and indent first: the new font then has every item measured anew.
  UniqueImageList old = std::move(stateImages_);
  stateImages_ = BuildStateImages(ScaleToDpi(16, dpi));
  TreeView_SetImageList(hwnd_, stateImages_.Get(), TVSIL_STATE);
  old.Reset();  // the tree shows the new images
  TreeView_SetIndent(hwnd_, ScaleToDpi(19, dpi));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  TreeView_SetItemHeight(hwnd_, -1);
}

// The tree measures only the items it shows: for a moment it is large enough for all.
int CategoryTreeView::WidestLabel() {
  const RECT before = PlaceIn(GetParent(hwnd_), hwnd_);
  MoveWindow(hwnd_, before.left, before.top, 4000, 4000, FALSE);
  SendMessageW(hwnd_, WM_HSCROLL, SB_LEFT, 0);
  int widest = 0;
  for (HTREEITEM item : items_) {
    RECT rect{};
    if (item && TreeView_GetItemRect(hwnd_, item, &rect, TRUE))
      widest = std::max(widest, static_cast<int>(rect.right));
  }
  MoveWindow(hwnd_, before.left, before.top, before.right - before.left, before.bottom - before.top,
             FALSE);
  return widest;
}

void CategoryTreeView::Build() {
  std::array<HTREEITEM, 3> parents{TVI_ROOT, TVI_ROOT, TVI_ROOT};
  for (const Category& node : Categories()) {
    std::wstring caption = Wide(node.caption);
    TVINSERTSTRUCTW insert{};
    insert.hParent = node.level == 0 ? TVI_ROOT : parents[static_cast<size_t>(node.level - 1)];
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = caption.data();
    insert.item.lParam = node.id;
    insert.item.state = INDEXTOSTATEIMAGEMASK(2);
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    items_[static_cast<size_t>(node.id)] = item;
    if (node.level < 2)
      parents[static_cast<size_t>(node.level)] = item;
  }
  for (HTREEITEM item : items_) {
    if (item)
      TreeView_Expand(hwnd_, item, TVE_EXPAND);
  }
  TreeView_SelectSetFirstVisible(hwnd_, items_[static_cast<size_t>(Categories()[0].id)]);
}

void CategoryTreeView::ShowTicks() {
  for (const Category& node : Categories()) {
    TreeView_SetItemState(hwnd_, items_[static_cast<size_t>(node.id)],
                          INDEXTOSTATEIMAGEMASK(selection_.Has(node.id) ? 2 : 1),
                          TVIS_STATEIMAGEMASK);
  }
}

bool CategoryTreeView::HandleNotify(const NMHDR* header, LRESULT* result) {
  if (!hwnd_ || header->hwndFrom != hwnd_)
    return false;
  *result = 0;
  if (header->code == TVN_ITEMEXPANDINGA || header->code == TVN_ITEMEXPANDINGW) {
    const auto* view = reinterpret_cast<const NMTREEVIEWA*>(header);
    *result = (view->action & TVE_COLLAPSE) ? TRUE : FALSE;  // the tree stays expanded
  }
  if (header->code == TVN_KEYDOWN &&
      reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey == VK_SPACE) {
    // Space ticks or unticks the selected category, as a click on its box does.
    Toggle(TreeView_GetSelection(hwnd_));
    *result = TRUE;  // not a search for an item starting with a blank
  }
  return true;
}

LRESULT CALLBACK CategoryTreeView::TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR data) {
  // The tree view's class takes double clicks, so the second press of a quick double
  // click arrives as a double-click message: it is a press like any other.
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
      msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) {
    reinterpret_cast<CategoryTreeView*>(data)->MouseDown(GET_X_LPARAM(lParam),
                                                         GET_Y_LPARAM(lParam));
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void CategoryTreeView::MouseDown(int x, int y) {
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  HTREEITEM item = TreeView_HitTest(hwnd_, &hit);
  if (!item || !(hit.flags & TVHT_ONITEMSTATEICON))
    return;
  Toggle(item);
}

void CategoryTreeView::Toggle(HTREEITEM item) {
  if (!item)
    return;
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  ClickCategory(selection_, static_cast<int>(data.lParam));
  ShowTicks();
  if (onTicksChanged)
    onTicksChanged();
}

}  // namespace kelvane
