#include "ui/win_category_tree_view.h"

#include <windowsx.h>

#include "ui/win_controls.h"

namespace kelvane {

namespace {

// The tree's state images: index 0 ticked (never used), 1 empty box, 2 ticked box.
HIMAGELIST BuildStateImages() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (int i = 0; i < 3; ++i) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT box{1, 1, 14, 14};
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (i == 1 ? 0 : DFCS_CHECKED));
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, RGB(255, 255, 255));
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

}  // namespace

CategoryTreeView::~CategoryTreeView() {
  if (stateImages_)
    ImageList_Destroy(stateImages_);
}

HWND CategoryTreeView::Create(HWND parent, int id, HFONT font, int x, int y, int width,
                              int height) {
  hwnd_ =
      CreateChild(parent, WC_TREEVIEWA, "",
                  TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS | WS_TABSTOP,
                  x, y, width, height, id, font);
  TreeView_SetTextColor(hwnd_, RGB(0, 0, 255));
  TreeView_SetIndent(hwnd_, 19);
  stateImages_ = BuildStateImages();
  TreeView_SetImageList(hwnd_, stateImages_, TVSIL_STATE);
  SetWindowSubclass(hwnd_, &TreeProc, 1, reinterpret_cast<DWORD_PTR>(this));
  Build();
  return hwnd_;
}

void CategoryTreeView::Build() {
  std::array<HTREEITEM, 3> parents{TVI_ROOT, TVI_ROOT, TVI_ROOT};
  for (const Category& node : Categories()) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = node.level == 0 ? TVI_ROOT : parents[static_cast<size_t>(node.level - 1)];
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<char*>(node.caption);
    insert.item.lParam = node.id;
    insert.item.state = INDEXTOSTATEIMAGEMASK(2);
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    HTREEITEM item = TreeView_InsertItem(hwnd_, &insert);
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
  TVITEMA data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  TreeView_GetItem(hwnd_, &data);
  ClickCategory(selection_, static_cast<int>(data.lParam));
  ShowTicks();
  if (onTicksChanged)
    onTicksChanged();
}

}  // namespace kelvane
