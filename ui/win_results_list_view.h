// The results list: a virtual (owner-data) report list view that draws each visible
// cell and its check box from the results model, toggles ticks on clicks on the check
// box and on Space, and tells its owner when the ticks may have changed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "results/results_model.h"

namespace kelvane {

class ResultsListView {
 public:
  explicit ResultsListView(ResultsModel& model) : model_(model) {}
  ResultsListView(const ResultsListView&) = delete;
  ResultsListView& operator=(const ResultsListView&) = delete;

  // Creates the list view with its three columns.
  HWND Create(HWND parent, int id, HFONT font, int x, int y, int width, int height);
  HWND Handle() const { return hwnd_; }
  // A WM_NOTIFY of the parent: true when it came from this list, `result` its answer.
  bool HandleNotify(const NMHDR* header, LRESULT* result);

  // Shows the model's row count; `fitColumns` fits each column to its widest cell.
  void Refresh(bool fitColumns);
  // Draws every visible row again (after ticks changed).
  void Redraw();
  // The designed widths of the "Registry key" and "Value" columns.
  void ResetColumnWidths();
  // The selected row, or -1.
  int SelectedRow() const;
  // The DPI the column widths and margins are scaled to (96 until told).
  void SetDpi(UINT dpi);

  // A click, a right click or Space on the list: the counts are to be shown again.
  std::function<void()> onTicksChanged;

 private:
  void Click(int x, int y);
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
