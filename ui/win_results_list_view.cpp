#include "ui/win_results_list_view.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "ui/win_controls.h"
#include "ui/win_dpi.h"
#include "ui/win_gdi.h"

namespace kelvane {

namespace {

// The columns: header and designed width at 96 DPI.
constexpr std::array<ReportList::Column, 4> kColumns{
    {{"Problem", 120}, {"Registry key", 300}, {"Value", 150}, {"Reason", 260}}};
constexpr int kColumnCount = static_cast<int>(kColumns.size());

const std::string& Cell(const IssueRow& row, int column) {
  switch (column) {
    case 0:
      return row.problem;
    case 1:
      return row.key;
    case 2:
      return row.value;
    default:
      return row.reason;
  }
}

}  // namespace

HWND ResultsListView::Create(HWND parent, int id, HFONT font, int x, int y, int width, int height) {
  hwnd_ = CreateChild(parent, "SysListView32", "",
                      LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, x, y, width,
                      height, id, font, WS_EX_CLIENTEDGE);
  // Styles and columns as any report list takes them; the rows come from the model.
  ReportList(hwnd_, dpi_, LVS_EX_CHECKBOXES | LVS_EX_DOUBLEBUFFER,
             {kColumns[0], kColumns[1], kColumns[2], kColumns[3]});
  ListView_SetCallbackMask(hwnd_, LVIS_STATEIMAGEMASK);
  return hwnd_;
}

bool ResultsListView::HandleNotify(const NMHDR* header, LRESULT* result) {
  if (!hwnd_ || header->hwndFrom != hwnd_)
    return false;
  *result = 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      // A Unicode list: each cell in any script as it is.
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header));
      const IssueRow row = model_.Row(static_cast<size_t>(info->item.iItem));
      if ((info->item.mask & LVIF_TEXT) && info->item.cchTextMax > 0)
        lstrcpynW(info->item.pszText, Wide(Cell(row, info->item.iSubItem)).c_str(),
                  info->item.cchTextMax);
      if (info->item.mask & LVIF_STATE) {
        info->item.state = INDEXTOSTATEIMAGEMASK(row.ticked ? 2 : 1);
        info->item.stateMask = LVIS_STATEIMAGEMASK;
      }
      return true;
    }
    case NM_CLICK:
    case NM_DBLCLK: {
      const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
      const bool onRow = Click(activate->ptAction.x, activate->ptAction.y);
      if (header->code == NM_DBLCLK && onRow && onRowActivated)
        onRowActivated();
      return true;
    }
    case NM_RCLICK:
      // A right click opens the context menu; it never changes a tick.
      TicksChanged();
      return true;
    case LVN_KEYDOWN: {
      const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
      const int row = SelectedRow();
      if (key->wVKey == VK_SPACE && row >= 0) {
        // Every selected row takes the opposite of the first one's tick.
        const bool tick = !model_.Ticked(static_cast<size_t>(row));
        for (const size_t selected : SelectedRows())
          model_.SetTicked(selected, tick);
        Redraw();
        TicksChanged();
      }
      return true;
    }
    default:
      return true;
  }
}

bool ResultsListView::Click(int x, int y) {
  LVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  const int row = ListView_SubItemHitTest(hwnd_, &hit);
  const bool onStateIcon = row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON);
  if (onStateIcon) {
    model_.SetTicked(static_cast<size_t>(row), !model_.Ticked(static_cast<size_t>(row)));
    ListView_RedrawItems(hwnd_, row, row);
  }
  TicksChanged();
  return row >= 0 && !onStateIcon;
}

int ResultsListView::SelectedRow() const {
  return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
}

std::vector<size_t> ResultsListView::SelectedRows() const {
  std::vector<size_t> rows;
  for (int row = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(hwnd_, row, LVNI_SELECTED))
    rows.push_back(static_cast<size_t>(row));
  return rows;
}

void ResultsListView::Refresh(bool fitColumns) {
  const int count = static_cast<int>(model_.Count());
  ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL);
  if (fitColumns && count > 0)
    FitColumns();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ResultsListView::Redraw() {
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ResultsListView::ResetColumnWidths() {
  for (int column = 1; column < kColumnCount; ++column)
    ListView_SetColumnWidth(hwnd_, column, Scale(kColumns[static_cast<size_t>(column)].width));
}

int ResultsListView::DesignedWidth() const {
  int width = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
  for (const ReportList::Column& column : kColumns)
    width += Scale(column.width);
  return width;
}

// Fits each column to its widest cell or its header. The list view's own automatic width asks for
// every row's text, which takes seconds with tens of thousands of rows; the widest
// cell is among the longest texts, so only those are measured.
void ResultsListView::FitColumns() {
  constexpr size_t kCandidates = 32;
  const std::vector<IssueRow> rows = model_.Rows();
  const WindowDc dc(hwnd_);
  const SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  for (int column = 0; column < kColumnCount; ++column) {
    std::vector<const std::string*> texts;
    texts.reserve(rows.size());
    for (const IssueRow& row : rows)
      texts.push_back(&Cell(row, column));
    const size_t keep = std::min(kCandidates, texts.size());
    std::partial_sort(
        texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(keep), texts.end(),
        [](const std::string* a, const std::string* b) { return a->size() > b->size(); });
    // A column is never narrower than its header's text.
    const std::wstring header = Wide(kColumns[static_cast<size_t>(column)].caption);
    SIZE headerSize{};
    GetTextExtentPoint32W(dc, header.c_str(), static_cast<int>(header.size()), &headerSize);
    int widest = static_cast<int>(headerSize.cx);
    for (size_t i = 0; i < keep; ++i) {
      const std::wstring text = Wide(*texts[i]);
      SIZE size{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      widest = std::max(widest, static_cast<int>(size.cx));
    }
    // Room for the cell margins, and in the first column for the check box.
    const int margin =
        column == 0 ? Scale(12) + GetSystemMetrics(SM_CXSMICON) + Scale(4) : Scale(12);
    ListView_SetColumnWidth(hwnd_, column, widest + margin);
  }
}

int ResultsListView::Scale(int designPixels) const {
  return ScaleToDpi(designPixels, dpi_);
}

void ResultsListView::SetDpi(UINT dpi) {
  ScaleListColumns(hwnd_, dpi_, dpi);  // the columns keep their widths in design pixels
  dpi_ = dpi;
}

}  // namespace kelvane
