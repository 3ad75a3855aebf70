// The main window: banner, task buttons, menus, the category tree, the results list
// and the status bar; it starts every command of the program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/win_menus_banner.h"
#include "backup/repair.h"
#include "options/settings.h"
#include "platform/platform.h"
#include "platform/win32/win32_handles.h"
#include "results/results_model.h"
#include "scan/categories.h"
#include "scan/progress_window.h"
#include "ui/win_category_tree_view.h"
#include "ui/win_results_list_view.h"
#include "ui/win_top_window.h"

namespace kelvane {

class TfrmKelvane : public TopWindow {
 public:
  TfrmKelvane(Platform platform, std::vector<std::string> arguments);
  ~TfrmKelvane() override;
  TfrmKelvane(const TfrmKelvane&) = delete;
  TfrmKelvane& operator=(const TfrmKelvane&) = delete;

  // Creates and shows the window; false when it could not be created.
  bool Create(HINSTANCE instance, int showCommand);
  HACCEL Accelerators() const { return accelerators_.Get(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The messages of the controls and the menus; false for the others.
  bool HandleControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  friend std::span<const Command> MainCommands();
  static const Command kCommands[];  // MainCommands()
  friend class MainRepairPrompts;
  friend class MainCleanOnceSteps;

  // Form events.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormActivated(bool active);  // WM_ACTIVATE
  void FormDpiChanged(UINT dpi, const RECT& suggested);
  void FormResize();
  void FitFirstStart();
  bool FormClose();
  void FormPaint();
  // Commands.
  void bScanRegistryClick();
  // The repair of the ticked rows; the unattended run reads its outcome.
  RepairOutcome RepairTicked();
  void SelectRows(bool ofType, bool tick);
  void aOpenRegeditExecute();
  void aCopyExecute();
  void miSaveScanResultsClick();
  void miRestoreClick();
  void miHelpClick();
  void CleanOnce();
  void ActivateInstance();
  void UpdateStatusCounts();
  // Shows the rows as they now stand and their counts.
  void RefreshList();
  // Screens above 96 DPI.
  int S(int designPixels) const;
  void ApplyDpi();
  // Settings (win_main_settings.cpp).
  WindowBounds Bounds() const;
  void LoadSettings();
  void SaveSettings();

  Platform platform_;
  std::vector<std::string> arguments_;
  BannerControls banner_;
  std::vector<HWND> tasks_;
  HWND statusBar1_ = nullptr;
  HMENU mainMenu1_ = nullptr;
  UniqueMenu popupMenu1_;
  UniqueAcceleratorTable accelerators_;
  std::unique_ptr<MainFonts> fonts_;
  HICON icon_ = nullptr;
  ScopedGdi<HBRUSH> bannerBrush_;
  ScopedGdi<HICON> bannerIcon_;  // the program's icon at the window's DPI
  UINT dpi_ = 96;
  int treeWidth_ = 0;  // at least the design width, wide enough for every label
  int listLeft_ = 0;   // the results list's left edge, right of the tree
  int exitCode_ = 0;   // the unattended run's outcome, the program's exit code

  CategorySelection categories_ = CategorySelection::All();
  ResultsModel results_;
  std::vector<Category> lastScan_;  // the categories the rows come from
  std::string restorePointLog_;     // what the last repair's restore point came to
  bool scanStopped_ = false;        // the rows come from a scan stopped with Stop
  bool scanRunning_ = false;        // the scan command's progress window is open
  HWND lastFocus_ = nullptr;        // the control with the focus when the window was left
  CategoryTreeView tvRegistry_{categories_};
  ResultsListView lvRegistryData_{results_};
  bool unattended_ = false;
  bool settingsLoaded_ = false;
};

// The scan's options from the settings; an unattended scan keeps its window hidden.
ScanOptions ScanOptionsFromSettings(bool unattended);

}  // namespace kelvane
