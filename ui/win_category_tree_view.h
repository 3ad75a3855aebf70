// The category tree: one node per row of the category table, always expanded, with
// check boxes drawn from a CategorySelection. A press on a node's check box applies
// the tree's click rule to the selection and shows the new ticks.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>

#include "platform/win32/win32_handles.h"
#include "scan/categories.h"

namespace kelvane {

class CategoryTreeView {
 public:
  explicit CategoryTreeView(CategorySelection& selection) : selection_(selection) {}
  ~CategoryTreeView();
  CategoryTreeView(const CategoryTreeView&) = delete;
  CategoryTreeView& operator=(const CategoryTreeView&) = delete;

  // Creates the tree view with every category, all ticked and expanded.
  HWND Create(HWND parent, int id, HFONT font, int x, int y, int width, int height);
  HWND Handle() const { return hwnd_; }
  // A WM_NOTIFY of the parent: true when it came from this tree, `result` its answer.
  bool HandleNotify(const NMHDR* header, LRESULT* result);
  // Shows the selection's ticks (after it was replaced, for example by the settings).
  void ShowTicks();
  // The check boxes, the indent and the font at `dpi`.
  void ApplyDpi(UINT dpi, HFONT font);
  // The right edge of the widest label, every node expanded, scrolled to the left.
  int WidestLabel();

  // A click changed the selection.
  std::function<void()> onTicksChanged;

 private:
  static LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);
  void Toggle(HTREEITEM item);  // a click on the item's box
  void MouseDown(int x, int y);
  void Build();

  CategorySelection& selection_;
  HWND hwnd_ = nullptr;
  UniqueImageList stateImages_;
  std::array<HTREEITEM, 64> items_{};  // by category id
};

}  // namespace kelvane
