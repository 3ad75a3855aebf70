#include "app/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "app/about_window.h"
#include "app/win_main_callbacks.h"
#include "app/resource.h"
#include "backup/backup_hint_window.h"
#include "options/options_dialog.h"
#include "platform/program_texts.h"
#include "platform/version_code.h"
#include "restore/restore_window.h"
#include "results/results_list.h"
#include "startup/startup_manager_window.h"
#include "ui/messages.h"
#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_dpi.h"
#include "unattended/command_line.h"

namespace kelvane {

namespace {

constexpr int kDesignWidth = 684;
constexpr int kDesignHeight = 520;
constexpr int kMinWidth = 480;
constexpr int kMinHeight = 400;
constexpr int kListTop = 48;
constexpr int kTreeTop = 192;
constexpr int kListLeft = 194;
constexpr int kTreeWidth = 183;

constexpr const char* kHelpFile = "Kelvane.html";

// A command of the Edit menu that the list's context menu also holds.
constexpr Command ListItem(int id, const char* text, Command::Handler run) {
  return Item(id, MenuTitle::kEdit, text, run).InListMenu();
}

}  // namespace

using M = MenuTitle;
using F = TfrmKelvane;

// The table is a member, so that its handlers reach the window's commands.
const Command TfrmKelvane::kCommands[] = {
    Item(kMiBackupFullRegistry, M::kFile, "&Backup Full Registry...",
         [](F& f) { miBackupFullRegistryClick(f.hwnd_, f.platform_); }),
    Item(kMiWindowsBackup, M::kFile, "&Windows Backup...",
         [](F& f) { miWindowsBackupClick(f.hwnd_, f.platform_); }),
    Separator(M::kFile),
    Item(kMiSaveScanResults, M::kFile, "Save Scan &Results...",
         [](F& f) { f.miSaveScanResultsClick(); }),
    Separator(M::kFile),
    Item(kMiStartupManager, M::kFile, "Startup &Manager...",
         [](F& f) {
           ShowStartupManager(
               f.hwnd_, f.platform_,
               ResolveFolder(OptionsSetting.OutputDirectory, f.platform_.shell.ExecutableFolder()));
         })
        .Ctrl('M'),
    Separator(M::kFile),
    Item(kMiExit, M::kFile, "&Exit", [](F& f) { PostMessageW(f.hwnd_, WM_CLOSE, 0, 0); }),
    Item(kMiScan, M::kAction, "&Scan registry issue", [](F& f) { f.bScanRegistryClick(); })
        .Task({"Scan registry issue", 8, 76, 105}),
    Item(kMiRepair, M::kAction, "&Repair registry issue", [](F& f) { f.RepairTicked(); })
        .Task({"Repair registry issue", 10, 104, 106}),
    Separator(M::kAction),
    Item(kMiRestore, M::kAction, "R&estore previous registry...", [](F& f) { f.miRestoreClick(); })
        .Task({"Restore previous registry ", 9, 132, 130}),
    ListItem(kASelectAll, "Select &All", [](F& f) { f.SelectRows(false, true); }),
    ListItem(kASelectAllType, "&Select All of Type", [](F& f) { f.SelectRows(true, true); })
        .When(CommandState::kRowSelected),
    Separator(M::kEdit, true),
    ListItem(kASelectNone, "Select &None", [](F& f) { f.SelectRows(false, false); }),
    ListItem(kASelectNoneType, "Select None of Type", [](F& f) { f.SelectRows(true, false); })
        .When(CommandState::kRowSelected),
    Separator(M::kEdit, true),
    ListItem(kACopy, "&Copy", [](F& f) { f.aCopyExecute(); })
        .Ctrl('C')
        .When(CommandState::kRowSelected),
    ListItem(kAOpenRegedit, "&Open in RegEdit...", [](F& f) { f.aOpenRegeditExecute(); })
        .When(CommandState::kRowOpens),
    Separator(M::kEdit),
    // The settings change in memory, saved on close.
    Item(kMiOptions, M::kEdit, "&Options...",
         [](F& f) { ShowOptions(f.hwnd_, f.platform_, OptionsSetting); })
        .Ctrl('O'),
    Item(kMiHelp, M::kHelp, "&Help", [](F& f) { f.miHelpClick(); }),
    Separator(M::kHelp),
    Item(kMiHomePage, M::kHelp, "&Home Page",
         [](F& f) { f.platform_.shell.Open(kHomePage, "", ShellOpen{f.hwnd_}); }),
    Separator(M::kHelp),
    Item(kMiAbout, M::kHelp, "&About...", [](F& f) { ShowAbout(f.hwnd_, f.platform_); }),
    // The banner's link.
    Item(kLinkUpdate, M::kNone, nullptr,
         [](F& f) { f.platform_.shell.Open(kUpdatePage, "", ShellOpen{f.hwnd_}); }),
};

std::span<const Command> MainCommands() {
  return TfrmKelvane::kCommands;
}

const Command* FindCommand(std::span<const Command> commands, int id) {
  for (const Command& command : commands) {
    if (command.id && command.id == id)
      return &command;
  }
  return nullptr;
}

TfrmKelvane::TfrmKelvane(Platform platform, std::vector<std::string> arguments)
    : platform_(platform), arguments_(std::move(arguments)) {}

TfrmKelvane::~TfrmKelvane() = default;

bool TfrmKelvane::Create(HINSTANCE instance, int showCommand) {
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KELVANE));
  static const std::wstring className = Wide(kMainWindowClass);
  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className.c_str();

  // Sized for the system DPI; a window that opens on a monitor of another DPI is
  // resized when it learns so (WM_DPICHANGED).
  dpi_ = WindowDpi(nullptr);
  const int width = S(kDesignWidth), height = S(kDesignHeight);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  mainMenu1_ = BuildMainMenu(MainCommands());
  // The window paints around its controls, not over them: a repaint of the window
  // after a resize would otherwise leave the status bar blank until its text changed.
  if (!CreateTopWindow(wc, kApplicationTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top,
                       width, height, mainMenu1_))
    return false;
  if (IsCleanOnceRun(arguments_)) {
    // The unattended run never shows its window: the ticks are loaded as on a
    // show and the run starts at once.
    tvRegistry_.ShowTicks();
    FormResize();
    FormActivate();
    return true;
  }
  ShowWindow(hwnd_, showCommand == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : showCommand);
  FormShow();
  UpdateWindow(hwnd_);
  return true;
}

LRESULT TfrmKelvane::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleControlMessage(msg, wParam, lParam, &result))
    return result;
  switch (msg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_GETMINMAXINFO: {
      // Small enough for a small screen, large enough that the tree shows its
      // categories, the list its columns and the task buttons their texts.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = S(kMinWidth);
      info->ptMinTrackSize.y = S(kMinHeight);
      return 0;
    }
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_ACTIVATE:
      FormActivated(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SCAN_ROWS:
      // Rows of the scan show their ticks, and the ignore lists act on them, as they
      // come in (the repair's second scan fills a list of its own).
      if (scanRunning_) {
        results_.SetAllTicked(true);
        ApplyIgnoreLists(results_, IgnoreListsOf(OptionsSetting));
      }
      lvRegistryData_.Refresh(false);
      return 0;
    case WM_SCAN_STEP_DONE:
      UpdateStatusCounts();
      return 0;
    case WM_ACTIVATE_INSTANCE:
      ActivateInstance();
      return 0;
    case WM_CLEAN_ONCE:
      CleanOnce();
      return 0;
    case WM_CLOSE:
      if (FormClose())
        DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(exitCode_);
      return 0;
    case WM_DPICHANGED:
      FormDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool TfrmKelvane::HandleControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      // Menus and accelerators come without a control; of the controls only a click
      // counts (the owner-drawn buttons and the link also report double clicks).
      if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
        if (const Command* command = FindCommand(MainCommands(), LOWORD(wParam)))
          command->run(*this);
      }
      return true;
    case WM_NOTIFYFORMAT:
      // The list and the tree are Unicode controls and tell in Unicode.
      *result = NFR_UNICODE;
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!tvRegistry_.HandleNotify(header, result))
        lvRegistryData_.HandleNotify(header, result);
      return true;
    }
    case WM_DRAWITEM:
      DrawFlatButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), dpi_);
      *result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      if (control != banner_.link && control != banner_.icon && control != banner_.linkImage)
        return false;
      *result =
          BannerControlColour(hwnd_, control, reinterpret_cast<HDC>(wParam), bannerBrush_.Get());
      return true;
    }
    case WM_SETCURSOR: {
      const HWND over = reinterpret_cast<HWND>(wParam);
      if (std::find(tasks_.begin(), tasks_.end(), over) == tasks_.end() && over != banner_.link)
        return false;
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      *result = TRUE;
      return true;
    }
    case WM_INITMENUPOPUP: {
      const int row = lvRegistryData_.SelectedRow();
      UpdateCommandStates(reinterpret_cast<HMENU>(wParam), MainCommands(), row >= 0,
                          row >= 0 && CanOpenInRegedit(results_.Row(static_cast<size_t>(row))));
      return true;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != lvRegistryData_.Handle())
        return false;
      ShowListMenu(hwnd_, popupMenu1_.Get(), lvRegistryData_.Handle(), GET_X_LPARAM(lParam),
                   GET_Y_LPARAM(lParam));
      return true;
    default:
      return false;
  }
}

// The control that had the focus gets it back when the window is active again.
void TfrmKelvane::FormActivated(bool active) {
  if (!active) {
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus))
      lastFocus_ = focus;
    return;
  }
  SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : tvRegistry_.Handle());
  FormActivate();
}

void TfrmKelvane::FormDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyDpi();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  FormResize();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int TfrmKelvane::S(int designPixels) const {
  return ScaleToDpi(designPixels, dpi_);
}

// Fonts, images and the fixed layout at the window's DPI. The design pixels scale; a
// task button and the tree are wider still when their texts need it, and the list
// starts right of the tree.
void TfrmKelvane::ApplyDpi() {
  fonts_ = std::make_unique<MainFonts>(dpi_);
  const auto font = reinterpret_cast<WPARAM>(fonts_->normal.Get());
  SendMessageW(hwnd_, WM_SETFONT, font, FALSE);
  bannerBrush_ = BuildBannerBrush(S(kBannerHeight));
  // The old icon goes once the banner shows the new one.
  ScopedGdi<HICON> icon(static_cast<HICON>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELVANE), IMAGE_ICON, S(32), S(32), 0)));
  SizeBannerControls(banner_, icon.Get(), *fonts_, dpi_);
  bannerIcon_ = std::move(icon);
  SizeTaskButtons(hwnd_, MainCommands(), fonts_->normal.Get(), dpi_);
  tvRegistry_.ApplyDpi(dpi_, fonts_->normal.Get());
  treeWidth_ =
      std::max(S(kTreeWidth), tvRegistry_.WidestLabel() + GetSystemMetrics(SM_CXVSCROLL) + S(4));
  listLeft_ = std::max(S(kListLeft), S(6) + treeWidth_ + S(5));
  SendMessageW(lvRegistryData_.Handle(), WM_SETFONT, font, TRUE);
  lvRegistryData_.SetDpi(dpi_);
  SendMessageW(statusBar1_, WM_SETFONT, font, TRUE);
  // The second panel runs to the right edge so the selection count is never cut.
  int parts[2] = {S(200), -1};
  SendMessageW(statusBar1_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void TfrmKelvane::FormCreate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                           ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  dpi_ = WindowDpi(hwnd_);
  // The controls get their fonts, sizes and places from ApplyDpi below.
  banner_ = CreateBannerControls(hwnd_, kIdIcon, kLinkUpdate, kIdUpdateImage);
  tasks_ = CreateTaskButtons(hwnd_, MainCommands());
  tvRegistry_.Create(hwnd_, kIdTree, nullptr, 0, 0, 0, 0);
  lvRegistryData_.Create(hwnd_, kIdList, nullptr, 0, 0, 0, 0);
  lvRegistryData_.onTicksChanged = [this] { UpdateStatusCounts(); };
  // A double click opens the row in the registry editor, as "Open in RegEdit" does.
  lvRegistryData_.onRowActivated = [this] { aOpenRegeditExecute(); };
  popupMenu1_.Reset(BuildPopupMenu(MainCommands()));
  statusBar1_ = CreateChild(hwnd_, "msctls_statusbar32", "", 0, 0, 0, 0, 0, kIdStatus, nullptr);
  ApplyDpi();

  accelerators_.Reset(BuildAccelerators(MainCommands()));

  unattended_ = false;
  FitFirstStart();  // a size saved in options.ini replaces it
  LoadSettings();

  const std::string caption = std::string(kApplicationTitle) + " " + kProgramVersion;
  SetText(hwnd_, caption);
  if (IsWin9xFamily(GetWindowsVersionCode(platform_.system)))
    DeleteMenu(mainMenu1_, kMiWindowsBackup, MF_BYCOMMAND);
}

// At first start the window shows every column of the list at its designed width and
// every category of the tree, as far as the work area of the screen it opens on
// allows, and never less than the designed size that fits there.
void TfrmKelvane::FitFirstStart() {
  RECT status;
  GetWindowRect(statusBar1_, &status);
  const int treeRows = static_cast<int>(SendMessageW(tvRegistry_.Handle(), TVM_GETCOUNT, 0, 0));
  const int treeHeight =
      treeRows * TreeView_GetItemHeight(tvRegistry_.Handle()) + 4 * GetSystemMetrics(SM_CYEDGE);
  RECT frame{0, 0, listLeft_ + lvRegistryData_.DesignedWidth(),
             S(kTreeTop) + treeHeight + (status.bottom - status.top)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), TRUE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  const RECT& work = monitor.rcWork;
  const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
  const int width = std::min(std::max<int>(frame.right - frame.left, S(kDesignWidth)), workWidth);
  const int height =
      std::min(std::max<int>(frame.bottom - frame.top, S(kDesignHeight)), workHeight);
  MoveWindow(hwnd_, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2,
             width, height, TRUE);
}

void TfrmKelvane::FormShow() {
  if (OptionsSetting.WindowState == 2)
    PostMessageW(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  tvRegistry_.ShowTicks();
  FormResize();
}

void TfrmKelvane::FormActivate() {
  if (unattended_ || !IsCleanOnceRun(arguments_))
    return;
  unattended_ = true;
  PostMessageW(hwnd_, WM_CLEAN_ONCE, 0, 0);
}

void TfrmKelvane::FormResize() {
  if (!statusBar1_)
    return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int w = client.right;
  const int h = client.bottom;
  SendMessageW(statusBar1_, WM_SIZE, 0, 0);
  RECT status;
  GetWindowRect(statusBar1_, &status);
  const int statusHeight = status.bottom - status.top;
  MoveWindow(statusBar1_, 0, h - statusHeight, w, statusHeight, TRUE);
  PlaceBannerControls(banner_, w, dpi_);
  MoveWindow(tvRegistry_.Handle(), S(6), S(kTreeTop), treeWidth_,
             std::max(0, h - S(kTreeTop) - statusHeight), TRUE);
  MoveWindow(lvRegistryData_.Handle(), listLeft_, S(kListTop), std::max(0, w - listLeft_),
             std::max(0, h - S(kListTop) - statusHeight), TRUE);
  RECT banner{0, 0, w, S(kBannerHeight)};
  InvalidateRect(hwnd_, &banner, FALSE);
}

void TfrmKelvane::FormPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  // The banner's line ends short of the update link's image.
  const RECT link = PlaceIn(hwnd_, banner_.linkImage);
  PaintMainWindow(dc, client.right, *fonts_, dpi_, listLeft_, link.left - S(8));
  EndPaint(hwnd_, &ps);
}

void TfrmKelvane::miRestoreClick() {
  MainRestoreCallbacks callbacks(platform_.processes);
  ShowRestore(hwnd_, platform_, callbacks);
}

void TfrmKelvane::miHelpClick() {
  // The help page ships beside the program (the release package holds it).
  const std::string help = platform_.shell.ExecutableFolder() + kHelpFile;
  std::string problem;
  if (!platform_.files.FileExists(help))
    problem = LoadResString(IDS_HELP_FILE) + help + LoadResString(IDS_HELP_FILE_MISSING);
  else if (!platform_.shell.Open(help, "", ShellOpen{hwnd_}))
    problem = LoadResString(IDS_HELP_FILE) + help + LoadResString(IDS_HELP_FILE_NOT_OPENED);
  if (!problem.empty()) {
    AppMessageBox(hwnd_, problem, MB_OK | MB_ICONINFORMATION);
  }
}

void TfrmKelvane::ActivateInstance() {
  ShowWindow(hwnd_, SW_SHOW);
  if (IsIconic(hwnd_))
    ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
}

}  // namespace kelvane
