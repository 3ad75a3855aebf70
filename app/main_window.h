// The main window: banner, task buttons, menus, the category tree, the results list
// and the status bar; it starts every command of the program.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "app/category_tree.h"
#include "app/results_model.h"
#include "app/settings.h"
#include "platform/platform.h"

namespace kelvane {

class TfrmKelvane : public MainWindowPlacement {
 public:
  TfrmKelvane(Platform platform, std::vector<std::string> arguments);
  ~TfrmKelvane() override;
  TfrmKelvane(const TfrmKelvane&) = delete;
  TfrmKelvane& operator=(const TfrmKelvane&) = delete;

  // Creates and shows the window; false when it could not be created.
  bool Create(HINSTANCE instance, int showCommand);
  HWND Handle() const { return hwnd_; }
  HACCEL Accelerators() const { return accelerators_; }

  // MainWindowPlacement, for the settings load and save.
  WindowBounds Bounds() override;
  void SetLeft(int left) override;
  void SetTop(int top) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  std::optional<int> ShowCommand() override;
  void StoreTreeTicks(std::array<bool, 23>& ticks) override;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleNotify(NMHDR* header);
  void HandleCommand(int id);

  // Form events.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormResize();
  bool FormClose();
  void FormPaint();
  // Commands.
  void bScanRegistryClick();
  void bRepairRegistryClick();
  void miHelpClick();
  void miHomePageClick();
  void miAboutClick();
  void aSelectAllExecute();
  void aSelectNoneExecute();
  void aSelectAllTypeExecute();
  void aSelectNoneTypeExecute();
  void aOpenRegeditExecute();
  void UpdateActions(HMENU menu);
  void CleanOnce();
  void ActivateInstance();
  // Tree and list.
  void BuildTree();
  void ShowTreeTicks();
  void tvRegistryMouseDown(int x, int y);
  void lvRegistryDataClick(int x, int y);
  void RefreshList(bool fitColumns);
  void FitColumns();
  void UpdateStatusCounts();
  int SelectedRow() const;
  void DrawFlatButton(const DRAWITEMSTRUCT& item);
  // Screens above 96 DPI.
  int S(int designPixels) const;
  void ApplyDpi();
  void ReleaseDpiResources();
  int WidestTreeLabel();

  Platform platform_;
  std::vector<std::string> arguments_;
  HWND hwnd_ = nullptr;
  HWND lUpdate_ = nullptr;
  HWND iUpdate_ = nullptr;
  HWND image1_ = nullptr;
  HWND bScanRegistry_ = nullptr;
  HWND bRepairRegistry_ = nullptr;
  HWND bRestoreRegistry_ = nullptr;
  HWND tvRegistry_ = nullptr;
  HWND lvRegistryData_ = nullptr;
  HWND statusBar1_ = nullptr;
  HMENU mainMenu1_ = nullptr;
  HMENU popupMenu1_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HIMAGELIST imageList1_ = nullptr;
  HFONT font_ = nullptr;
  HFONT boldVerdana_ = nullptr;
  HFONT titleFont_ = nullptr;
  HFONT linkFont_ = nullptr;
  HICON icon_ = nullptr;
  HBRUSH bannerBrush_ = nullptr;
  HICON bannerIcon_ = nullptr;
  UINT dpi_ = 96;
  int treeWidth_ = 0;  // at least the design width, wide enough for every label
  int listLeft_ = 0;   // the results list's left edge, right of the tree
  std::array<HTREEITEM, 23> treeItems_{};

  CategoryTree tree_;
  ResultsModel results_;
  std::vector<std::string> categoryIds_;
  bool haveCategoryIds_ = false;
  bool unattended_ = false;
  bool settingsLoaded_ = false;
  int exitCode_ = 0;  // the unattended run's outcome, the program's exit code
};

}  // namespace kelvane
