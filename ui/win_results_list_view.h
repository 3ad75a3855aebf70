// The results list: a virtual (owner-data) report list view that draws each visible
// cell and its check box from the results model, toggles ticks on clicks on the check
// box and on Space, and tells its owner when the ticks may have changed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "results/results_model.h"

namespace kelvane {

class ResultsListView {
 public:
  explicit ResultsListView(ResultsModel& model) : model_(model) {}
  ResultsListView(const ResultsListView&) = delete;
  ResultsListView& operator=(const ResultsListView&) = delete;

  // Creates the list view with its four columns; several rows may be selected.
  HWND Create(HWND parent, int id, HFONT font, int x, int y, int width, int height);
  HWND Handle() const { return hwnd_; }
  // A WM_NOTIFY of the parent: true when it came from this list, `result` its answer.
  bool HandleNotify(const NMHDR* header, LRESULT* result);

  // Shows the model's row count; `fitColumns` fits each column to its widest cell.
  void Refresh(bool fitColumns);
  // Draws every visible row again (after ticks changed).
  void Redraw();
  // The designed widths of every column but "Problem".
  void ResetColumnWidths();
  // The list's width when every column has its designed width, borders and the
  // vertical scroll bar included.
  int DesignedWidth() const;
  // The first selected row, or -1.
  int SelectedRow() const;
  // Every selected row, in list order.
  std::vector<size_t> SelectedRows() const;
  // The DPI the column widths and margins are scaled to (96 until told).
  void SetDpi(UINT dpi);

  // A click, a right click or Space on the list: the counts are to be shown again.
  std::function<void()> onTicksChanged;
  // A double click on a row (not on its check box), which is then the selected one.
  std::function<void()> onRowActivated;

 private:
  // Toggles the tick under a click on a check box; true when the click hit a row
  // elsewhere.
  bool Click(int x, int y);
  void FitColumns();
  void TicksChanged() {
    if (onTicksChanged)
      onTicksChanged();
  }

  int Scale(int designPixels) const;

  ResultsModel& model_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
};

}  // namespace kelvane
