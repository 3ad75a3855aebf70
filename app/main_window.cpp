#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <windowsx.h>

#include "backup/clean_once.h"
#include "app/messages.h"
#include "app/resource.h"
#include "app/results_list.h"
#include "app/version_code.h"
#include "backup/repair_window.h"
#include "scan/progress_window.h"
#include "ui/about_window.h"
#include "ui/win_controls.h"
#include "ui/win_dpi.h"

namespace kelvane {

namespace {

constexpr int kDesignWidth = 684;
constexpr int kDesignHeight = 520;
constexpr int kBannerHeight = 50;
constexpr int kListTop = 48;
constexpr int kListLeft = 194;
constexpr int kTreeTop = 192;
constexpr int kTreeWidth = 183;

constexpr int kButtonIndent = 4;  // the flat buttons' text from their left edge
constexpr const char* kLinkText = "Check for update now...";

constexpr const char* kHomePage = "https://www.varnok.example/kelvane/";
constexpr const char* kUpdatePage = "https://www.varnok.example/kelvane/update/";

// Control ids.
enum : int {
  kIdScan = 1001,
  kIdRepair,
  kIdRestore,
  kIdTree,
  kIdList,
  kIdStatus,
  kIdUpdate,
  kIdUpdateImage,
  kIdIcon,
};

// Menu command ids.
enum : int {
  kMiBackupFullRegistry = 2001,
  kMiWindowsBackup,
  kMiStartupManager,
  kMiExit,
  kMiScan,
  kMiRepair,
  kMiRestore,
  kASelectAll,
  kASelectAllType,
  kASelectNone,
  kASelectNoneType,
  kAOpenRegedit,
  kMiOptions,
  kMiHelp,
  kMiHomePage,
  kMiAbout,
};

HMENU BuildMainMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING | MF_GRAYED, kMiBackupFullRegistry, "&Backup Full Registry...");
  AppendMenuA(file, MF_STRING | MF_GRAYED, kMiWindowsBackup, "&Windows Backup...");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING | MF_GRAYED, kMiStartupManager, "Startup &Manager...\tCtrl+M");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kMiExit, "&Exit");

  HMENU action = CreatePopupMenu();
  AppendMenuA(action, MF_STRING, kMiScan, "&Scan registry issue");
  AppendMenuA(action, MF_STRING, kMiRepair, "&Repair registry issue");
  AppendMenuA(action, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(action, MF_STRING | MF_GRAYED, kMiRestore, "R&estore previous registry...");

  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, kASelectAll, "Select &All");
  AppendMenuA(edit, MF_STRING, kASelectAllType, "&Select All of Type");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kASelectNone, "Select &None");
  AppendMenuA(edit, MF_STRING, kASelectNoneType, "Select None of Type");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kAOpenRegedit, "&Open in RegEdit...");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING | MF_GRAYED, kMiOptions, "&Options...\tCtrl+O");

  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kMiHelp, "&Help");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kMiHomePage, "&Home Page");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kMiAbout, "&About...");

  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(action), "Action");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "Edit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "Help");
  return bar;
}

HMENU BuildPopupMenu() {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, kASelectAll, "Select &All");
  AppendMenuA(popup, MF_STRING, kASelectAllType, "&Select All of Type");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, kASelectNone, "Select &None");
  AppendMenuA(popup, MF_STRING, kASelectNoneType, "Select None of Type");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, kAOpenRegedit, "&Open in RegEdit...");
  return popup;
}

// The tree's state images, `size` pixels square: index 0 ticked (never used), 1 empty
// box, 2 ticked box.
HIMAGELIST BuildStateImages(int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 3, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (int i = 0; i < 3; ++i) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT box{size / 16, size / 16, size - size / 8, size - size / 8};
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

// The banner: a band in two blues across the top, 50 design pixels high.
void PaintBanner(HDC dc, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const int design = y * kBannerHeight / height;
    HBRUSH brush = CreateSolidBrush(RGB(30, 70 - design / 3, 150 - design));
    RECT line{0, y, width, y + 1};
    FillRect(dc, &line, brush);
    DeleteObject(brush);
  }
}

// A brush of the banner's band, so the controls on it show the band behind them.
HBRUSH BuildBannerBrush(int height) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PaintBanner(dc, 8, height);
  SelectObject(dc, old);
  HBRUSH brush = CreatePatternBrush(bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return brush;
}

}  // namespace

TfrmKelvane::TfrmKelvane(Platform platform, std::vector<std::string> arguments)
    : platform_(platform), arguments_(std::move(arguments)) {}

TfrmKelvane::~TfrmKelvane() {
  ReleaseDpiResources();
  if (popupMenu1_)
    DestroyMenu(popupMenu1_);
  if (accelerators_)
    DestroyAcceleratorTable(accelerators_);
}

bool TfrmKelvane::Create(HINSTANCE instance, int showCommand) {
  icon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KELVANE));
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WndProc;
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kMainWindowClass;
  if (!RegisterClassExA(&wc))
    return false;

  // Sized for the system DPI; a window that opens on a monitor of another DPI is
  // resized when it learns so (WM_DPICHANGED).
  dpi_ = WindowDpi(nullptr);
  const int width = S(kDesignWidth), height = S(kDesignHeight);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  mainMenu1_ = BuildMainMenu();
  hwnd_ = CreateWindowExA(0, kMainWindowClass, kApplicationTitle, WS_OVERLAPPEDWINDOW, left, top,
                          width, height, nullptr, mainMenu1_, instance, this);
  if (!hwnd_)
    return false;
  if (IsCleanOnceSwitch(arguments_)) {
    // The unattended run never shows its window: the ticks are loaded as on a
    // show and the run starts at once.
    ShowTreeTicks();
    FormResize();
    FormActivate();
    return true;
  }
  ShowWindow(hwnd_, showCommand == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : showCommand);
  FormShow();
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK TfrmKelvane::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<TfrmKelvane*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TfrmKelvane*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  try {
    return self->Handle(msg, wParam, lParam);
  } catch (const std::exception& error) {
    ShowApplicationError(hwnd, error.what());
  } catch (...) {
    ShowApplicationError(hwnd, "Unexpected error");
  }
  return 0;
}

LRESULT TfrmKelvane::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE)
        FormActivate();
      break;
    case WM_COMMAND:
      // Menus and accelerators come without a control; of the controls only a click
      // counts (the owner-drawn buttons and the link also report double clicks).
      if (lParam == 0 || HIWORD(wParam) == BN_CLICKED)
        HandleCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return HandleNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM:
      DrawFlatButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      if (control != lUpdate_ && control != image1_ && control != iUpdate_)
        break;
      // The banner's band shows through: its pattern is aligned to the window.
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT place;
      GetWindowRect(control, &place);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
      SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(bannerBrush_);
    }
    case WM_SETCURSOR: {
      const HWND over = reinterpret_cast<HWND>(wParam);
      if (over == bScanRegistry_ || over == bRepairRegistry_ || over == bRestoreRegistry_ ||
          over == lUpdate_) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_INITMENUPOPUP:
      UpdateActions(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == lvRegistryData_) {
        UpdateActions(popupMenu1_);
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (x == -1 && y == -1) {
          RECT rect;
          GetWindowRect(lvRegistryData_, &rect);
          x = rect.left + 10;
          y = rect.top + 10;
        }
        TrackPopupMenu(popupMenu1_, TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
        return 0;
      }
      break;
    case WM_SCAN_ROWS:
      RefreshList(false);
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
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      ApplyDpi();
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      FormResize();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void TfrmKelvane::FormCreate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                           ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  dpi_ = WindowDpi(hwnd_);

  // The controls are placed and given their fonts and images by ApplyDpi below.
  image1_ =
      CreateChild(hwnd_, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 0, 0, 0, kIdIcon, nullptr);
  lUpdate_ = CreateChild(hwnd_, "STATIC", kLinkText, SS_NOTIFY | SS_NOPREFIX, 0, 0, 0, 0, kIdUpdate,
                         nullptr);
  iUpdate_ = CreateChild(hwnd_, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 0, 0, 0,
                         kIdUpdateImage, nullptr);
  SendMessageA(iUpdate_, STM_SETICON, reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_INFORMATION)),
               0);

  bScanRegistry_ = CreateChild(hwnd_, "BUTTON", "Scan registry issue", BS_OWNERDRAW | WS_TABSTOP, 0,
                               0, 0, 0, kIdScan, nullptr);
  bRepairRegistry_ = CreateChild(hwnd_, "BUTTON", "Repair registry issue",
                                 BS_OWNERDRAW | WS_TABSTOP, 0, 0, 0, 0, kIdRepair, nullptr);
  bRestoreRegistry_ =
      CreateChild(hwnd_, "BUTTON", "Restore previous registry ",
                  BS_OWNERDRAW | WS_TABSTOP | WS_DISABLED, 0, 0, 0, 0, kIdRestore, nullptr);

  tvRegistry_ =
      CreateChild(hwnd_, WC_TREEVIEWA, "",
                  TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS | WS_TABSTOP,
                  0, 0, 0, 0, kIdTree, nullptr);
  TreeView_SetTextColor(tvRegistry_, RGB(0, 0, 255));
  SetWindowSubclass(tvRegistry_, &TreeProc, 1, reinterpret_cast<DWORD_PTR>(this));
  BuildTree();

  lvRegistryData_ =
      CreateChild(hwnd_, WC_LISTVIEWA, "",
                  LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP, 0, 0,
                  0, 0, kIdList, nullptr, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(lvRegistryData_,
                                    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  ListView_SetCallbackMask(lvRegistryData_, LVIS_STATEIMAGEMASK);
  const std::array<std::pair<const char*, int>, 3> columns{
      {{"Problem", 120}, {"Registry key", 300}, {"Value", 150}}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(columns[static_cast<size_t>(i)].first);
    column.cx = S(columns[static_cast<size_t>(i)].second);
    ListView_InsertColumn(lvRegistryData_, i, &column);
  }
  popupMenu1_ = BuildPopupMenu();

  statusBar1_ = CreateChild(hwnd_, STATUSCLASSNAMEA, "", 0, 0, 0, 0, 0, kIdStatus, nullptr);
  ApplyDpi();

  ACCEL accel[2] = {{FCONTROL | FVIRTKEY, 'M', kMiStartupManager},
                    {FCONTROL | FVIRTKEY, 'O', kMiOptions}};
  accelerators_ = CreateAcceleratorTableA(accel, 2);

  // Settings: the ignore lists live in the record; the load also places the window.
  unattended_ = false;
  OptionsSetting = TOptionsSetting{};
  LoadSaveOptions(platform_, true, *this);
  settingsLoaded_ = true;

  const std::string caption = LoadResString(IDS_APP_TITLE) + " " + LoadResString(IDS_VERSION);
  SetWindowTextA(hwnd_, caption.c_str());
  if (IsWin9xFamily(GetWindowsVersionCode(platform_.system))) {
    DeleteMenu(mainMenu1_, kMiWindowsBackup, MF_BYCOMMAND);
  }
}

int TfrmKelvane::S(int designPixels) const {
  return ScaleToDpi(designPixels, dpi_);
}

void TfrmKelvane::ReleaseDpiResources() {
  for (HFONT* font : {&font_, &boldVerdana_, &titleFont_, &linkFont_}) {
    if (*font)
      DeleteObject(*font);
    *font = nullptr;
  }
  if (bannerBrush_)
    DeleteObject(bannerBrush_);
  bannerBrush_ = nullptr;
  if (imageList1_)
    ImageList_Destroy(imageList1_);
  imageList1_ = nullptr;
  if (bannerIcon_)
    DestroyIcon(bannerIcon_);
  bannerIcon_ = nullptr;
}

// Fonts, images and the fixed layout at the window's DPI. The design pixels scale; a
// task button and the tree are wider still when their texts need it, and the list
// starts right of the tree.
void TfrmKelvane::ApplyDpi() {
  HIMAGELIST oldImages = imageList1_;
  imageList1_ = nullptr;
  ReleaseDpiResources();
  font_ = CreateDesignFontAt(dpi_);
  boldVerdana_ = CreateDesignFontAt(dpi_, 8, true, "Verdana");
  titleFont_ = CreateDesignFontAt(dpi_, 14, true, "Verdana");
  linkFont_ = CreateDesignFontAt(dpi_, 8, false, "MS Sans Serif");
  bannerBrush_ = BuildBannerBrush(S(kBannerHeight));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  // The tree's images and indent first: its new font then measures every item anew.
  imageList1_ = BuildStateImages(S(16));
  TreeView_SetImageList(tvRegistry_, imageList1_, TVSIL_STATE);
  if (oldImages)
    ImageList_Destroy(oldImages);
  TreeView_SetIndent(tvRegistry_, S(19));
  for (HWND control : {bScanRegistry_, bRepairRegistry_, bRestoreRegistry_, tvRegistry_,
                       lvRegistryData_, statusBar1_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  SendMessageA(lUpdate_, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), TRUE);

  bannerIcon_ = static_cast<HICON>(LoadImageA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KELVANE), IMAGE_ICON, S(32), S(32), 0));
  SendMessageA(image1_, STM_SETICON, reinterpret_cast<WPARAM>(bannerIcon_), 0);
  MoveWindow(image1_, S(18), S(10), S(32), S(32), TRUE);
  // The link is as wide as its text, so its text keeps 20 pixels from the right edge.
  const SIZE link = MeasureText(linkFont_, kLinkText, false);
  MoveWindow(lUpdate_, 0, S(18), link.cx, std::max(S(14), static_cast<int>(link.cy)), TRUE);

  struct Task {
    HWND button;
    int x, y, width;
  };
  for (const Task& task : {Task{bScanRegistry_, 8, 76, 105}, Task{bRepairRegistry_, 10, 104, 106},
                           Task{bRestoreRegistry_, 9, 132, 130}}) {
    char text[128] = {};
    GetWindowTextA(task.button, text, sizeof text);
    const SIZE size = MeasureText(font_, text, false);
    const int width = std::max(S(task.width), static_cast<int>(size.cx) + S(2 * kButtonIndent));
    MoveWindow(task.button, S(task.x), S(task.y), width,
               std::max(S(25), static_cast<int>(size.cy) + S(4)), TRUE);
  }

  TreeView_SetItemHeight(tvRegistry_, -1);
  treeWidth_ = std::max(S(kTreeWidth), WidestTreeLabel() + GetSystemMetrics(SM_CXVSCROLL) + S(4));
  listLeft_ = std::max(S(kListLeft), S(6) + treeWidth_ + S(5));

  int parts[2] = {S(200), -1};
  SendMessageA(statusBar1_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

// The right edge of the widest tree label, every node expanded, the tree at its left.
// The tree measures only the items it shows: for a moment it is large enough for all.
int TfrmKelvane::WidestTreeLabel() {
  RECT before;
  GetWindowRect(tvRegistry_, &before);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&before), 2);
  MoveWindow(tvRegistry_, before.left, before.top, S(2000), S(2000), FALSE);
  SendMessageA(tvRegistry_, WM_HSCROLL, SB_LEFT, 0);
  int widest = 0;
  for (HTREEITEM item : treeItems_) {
    RECT rect{};
    if (item && TreeView_GetItemRect(tvRegistry_, item, &rect, TRUE))
      widest = std::max(widest, static_cast<int>(rect.right));
  }
  MoveWindow(tvRegistry_, before.left, before.top, before.right - before.left,
             before.bottom - before.top, FALSE);
  return widest;
}

void TfrmKelvane::FormShow() {
  if (OptionsSetting.WindowState == 2)
    PostMessageA(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ShowTreeTicks();
  FormResize();
}

void TfrmKelvane::FormActivate() {
  if (unattended_ || !IsCleanOnceSwitch(arguments_))
    return;
  unattended_ = true;
  PostMessageA(hwnd_, WM_CLEAN_ONCE, 0, 0);
}

void TfrmKelvane::FormResize() {
  if (!statusBar1_)
    return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int w = client.right;
  const int h = client.bottom;
  SendMessageA(statusBar1_, WM_SIZE, 0, 0);
  RECT status;
  GetWindowRect(statusBar1_, &status);
  const int statusHeight = status.bottom - status.top;
  MoveWindow(statusBar1_, 0, h - statusHeight, w, statusHeight, TRUE);
  RECT link;
  GetWindowRect(lUpdate_, &link);
  const int linkWidth = link.right - link.left;
  MoveWindow(lUpdate_, w - linkWidth - S(20), S(18), linkWidth, link.bottom - link.top, TRUE);
  MoveWindow(iUpdate_, w - linkWidth - S(20 + 25), S(16), S(16), S(16), TRUE);
  MoveWindow(tvRegistry_, S(6), S(kTreeTop), treeWidth_,
             std::max(0, h - S(kTreeTop) - statusHeight), TRUE);
  MoveWindow(lvRegistryData_, listLeft_, S(kListTop), std::max(0, w - listLeft_),
             std::max(0, h - S(kListTop) - statusHeight), TRUE);
  RECT banner{0, 0, w, S(kBannerHeight)};
  InvalidateRect(hwnd_, &banner, FALSE);
}

void TfrmKelvane::FormPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  PaintBanner(dc, client.right, S(kBannerHeight));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc, titleFont_);
  TextOutA(dc, S(59), S(7), "Kelvane", 7);
  SelectObject(dc, font_);
  const char* hint = "Scan and repair your registry to improve PC performance";
  TextOutA(dc, S(59), S(29), hint, static_cast<int>(strlen(hint)));
  SetTextColor(dc, RGB(0, 0, 0));
  SelectObject(dc, boldVerdana_);
  TextOutA(dc, S(9), S(56), "Tasks", 5);
  TextOutA(dc, S(8), S(165), "Select the sections to scan", 27);
  SelectObject(dc, old);
  HBRUSH caption = GetSysColorBrush(COLOR_ACTIVECAPTION);
  // The lines run under the headings across the pane, 179 design pixels or more.
  const int lineEnd = std::max(S(7 + 179), listLeft_ - S(8));
  RECT line1{S(7), S(73), lineEnd, S(73) + std::max(1, S(1))};
  RECT line2{S(7), S(183), lineEnd, S(183) + std::max(1, S(1))};
  FillRect(dc, &line1, caption);
  FillRect(dc, &line2, caption);
  EndPaint(hwnd_, &ps);
}

void TfrmKelvane::DrawFlatButton(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  char text[128] = {};
  GetWindowTextA(item.hwndItem, text, sizeof text);
  SetBkMode(item.hDC, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 255));
  RECT rect = item.rcItem;
  rect.left += S(kButtonIndent);
  if (item.itemState & ODS_SELECTED)
    OffsetRect(&rect, 1, 1);
  DrawTextA(item.hDC, text, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(item.hDC, &item.rcItem);
}

void TfrmKelvane::HandleCommand(int id) {
  switch (id) {
    case kIdScan:
    case kMiScan:
      bScanRegistryClick();
      break;
    case kIdRepair:
    case kMiRepair:
      bRepairRegistryClick();
      break;
    case kMiExit:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      break;
    case kASelectAll:
      aSelectAllExecute();
      break;
    case kASelectNone:
      aSelectNoneExecute();
      break;
    case kASelectAllType:
      aSelectAllTypeExecute();
      break;
    case kASelectNoneType:
      aSelectNoneTypeExecute();
      break;
    case kAOpenRegedit:
      aOpenRegeditExecute();
      break;
    case kMiHelp:
      miHelpClick();
      break;
    case kMiHomePage:
      miHomePageClick();
      break;
    case kMiAbout:
      miAboutClick();
      break;
    case kIdUpdate:
      platform_.shell.Open(kUpdatePage, "", ShellOpen{hwnd_});
      break;
    default:
      break;
  }
}

LRESULT TfrmKelvane::HandleNotify(NMHDR* header) {
  if (header->hwndFrom == tvRegistry_) {
    if (header->code == TVN_ITEMEXPANDINGA || header->code == TVN_ITEMEXPANDINGW) {
      const auto* view = reinterpret_cast<NMTREEVIEWA*>(header);
      return (view->action & TVE_COLLAPSE) ? TRUE : FALSE;  // the tree stays expanded
    }
    return 0;
  }
  if (header->hwndFrom != lvRegistryData_)
    return 0;
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      const IssueRow row = results_.Row(static_cast<size_t>(info->item.iItem));
      if (info->item.mask & LVIF_TEXT) {
        const std::string& text = info->item.iSubItem == 0   ? row.problem
                                  : info->item.iSubItem == 1 ? row.key
                                                             : row.value;
        lstrcpynA(info->item.pszText, text.c_str(), info->item.cchTextMax);
      }
      if (info->item.mask & LVIF_STATE) {
        info->item.state = INDEXTOSTATEIMAGEMASK(row.ticked ? 2 : 1);
        info->item.stateMask = LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case NM_CLICK:
    case NM_DBLCLK: {
      const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
      lvRegistryDataClick(activate->ptAction.x, activate->ptAction.y);
      return 0;
    }
    case NM_RCLICK:
      // A right click opens the context menu; it never changes a tick.
      UpdateStatusCounts();
      return 0;
    case LVN_KEYDOWN: {
      const auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
      const int row = SelectedRow();
      if (key->wVKey == VK_SPACE && row >= 0) {
        results_.SetTicked(static_cast<size_t>(row), !results_.Ticked(static_cast<size_t>(row)));
        ListView_RedrawItems(lvRegistryData_, row, row);
        UpdateStatusCounts();
      }
      return 0;
    }
    default:
      return 0;
  }
}

void TfrmKelvane::BuildTree() {
  std::array<HTREEITEM, 3> parents{TVI_ROOT, TVI_ROOT, TVI_ROOT};
  for (const CategoryNode& node : CategoryNodes()) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = node.level == 0 ? TVI_ROOT : parents[static_cast<size_t>(node.level - 1)];
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<char*>(node.caption);
    insert.item.lParam = node.id;
    insert.item.state = INDEXTOSTATEIMAGEMASK(2);
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    HTREEITEM item = TreeView_InsertItem(tvRegistry_, &insert);
    treeItems_[static_cast<size_t>(node.id)] = item;
    if (node.level < 2)
      parents[static_cast<size_t>(node.level)] = item;
  }
  for (HTREEITEM item : treeItems_) {
    if (item)
      TreeView_Expand(tvRegistry_, item, TVE_EXPAND);
  }
  TreeView_SelectSetFirstVisible(tvRegistry_, treeItems_[1]);
}

void TfrmKelvane::ShowTreeTicks() {
  tree_.Load(OptionsSetting.TreeViewNodeCheck);
  for (const CategoryNode& node : CategoryNodes()) {
    TreeView_SetItemState(tvRegistry_, treeItems_[static_cast<size_t>(node.id)],
                          INDEXTOSTATEIMAGEMASK(tree_.Ticked(node.id) ? 2 : 1),
                          TVIS_STATEIMAGEMASK);
  }
}

LRESULT CALLBACK TfrmKelvane::TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
  // The tree view's class takes double clicks, so the second press of a quick double
  // click arrives as a double-click message: it is a press like any other.
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
      msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) {
    reinterpret_cast<TfrmKelvane*>(data)->tvRegistryMouseDown(GET_X_LPARAM(lParam),
                                                              GET_Y_LPARAM(lParam));
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void TfrmKelvane::tvRegistryMouseDown(int x, int y) {
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  HTREEITEM item = TreeView_HitTest(tvRegistry_, &hit);
  if (!item || !(hit.flags & TVHT_ONITEMSTATEICON))
    return;
  TVITEMA data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  TreeView_GetItem(tvRegistry_, &data);
  tree_.ClickStateImage(static_cast<int>(data.lParam));
  for (const CategoryNode& node : CategoryNodes()) {
    TreeView_SetItemState(tvRegistry_, treeItems_[static_cast<size_t>(node.id)],
                          INDEXTOSTATEIMAGEMASK(tree_.Ticked(node.id) ? 2 : 1),
                          TVIS_STATEIMAGEMASK);
  }
}

void TfrmKelvane::lvRegistryDataClick(int x, int y) {
  LVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  const int row = ListView_SubItemHitTest(lvRegistryData_, &hit);
  if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
    results_.SetTicked(static_cast<size_t>(row), !results_.Ticked(static_cast<size_t>(row)));
    ListView_RedrawItems(lvRegistryData_, row, row);
  }
  UpdateStatusCounts();
}

int TfrmKelvane::SelectedRow() const {
  return ListView_GetNextItem(lvRegistryData_, -1, LVNI_SELECTED);
}

void TfrmKelvane::RefreshList(bool fitColumns) {
  const int count = static_cast<int>(results_.Count());
  ListView_SetItemCountEx(lvRegistryData_, count, LVSICF_NOSCROLL);
  if (fitColumns && count > 0)
    FitColumns();
  InvalidateRect(lvRegistryData_, nullptr, FALSE);
}

// Fits each column to its widest cell or its header. The list view's own automatic width asks for
// every row's text, which takes seconds with tens of thousands of rows; the widest
// cell is among the longest texts, so only those are measured.
void TfrmKelvane::FitColumns() {
  constexpr size_t kCandidates = 32;
  const std::vector<IssueRow> rows = results_.Rows();
  HDC dc = GetDC(lvRegistryData_);
  HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(lvRegistryData_, WM_GETFONT, 0, 0)));
  for (int column = 0; column < 3; ++column) {
    auto cell = [column](const IssueRow& row) -> const std::string& {
      return column == 0 ? row.problem : column == 1 ? row.key : row.value;
    };
    std::vector<const std::string*> texts;
    texts.reserve(rows.size());
    for (const IssueRow& row : rows)
      texts.push_back(&cell(row));
    const size_t keep = std::min(kCandidates, texts.size());
    std::partial_sort(
        texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(keep), texts.end(),
        [](const std::string* a, const std::string* b) { return a->size() > b->size(); });
    // A column is never narrower than its header's text.
    static constexpr const char* kHeaders[] = {"Problem", "Registry key", "Value"};
    SIZE header{};
    GetTextExtentPoint32A(dc, kHeaders[column], static_cast<int>(strlen(kHeaders[column])),
                          &header);
    int widest = static_cast<int>(header.cx);
    for (size_t i = 0; i < keep; ++i) {
      SIZE size{};
      GetTextExtentPoint32A(dc, texts[i]->c_str(), static_cast<int>(texts[i]->size()), &size);
      widest = std::max(widest, static_cast<int>(size.cx));
    }
    // Room for the cell margins, and in the first column for the check box.
    const int margin = column == 0 ? S(12) + GetSystemMetrics(SM_CXSMICON) + S(4) : S(12);
    ListView_SetColumnWidth(lvRegistryData_, column, widest + margin);
  }
  SelectObject(dc, old);
  ReleaseDC(lvRegistryData_, dc);
}

void TfrmKelvane::UpdateStatusCounts() {
  const std::string found = StatusFoundText(results_, LoadResString(IDS_PROBLEMS_FOUND));
  const std::string selected = StatusSelectedText(results_, LoadResString(IDS_PROBLEMS_SELECTED));
  SendMessageA(statusBar1_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(found.c_str()));
  SendMessageA(statusBar1_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(selected.c_str()));
}

void TfrmKelvane::UpdateActions(HMENU menu) {
  const int row = SelectedRow();
  const UINT ofType = row >= 0 ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(menu, kASelectAllType, MF_BYCOMMAND | ofType);
  EnableMenuItem(menu, kASelectNoneType, MF_BYCOMMAND | ofType);
  const bool canOpen = row >= 0 && CanOpenInRegedit(results_.Row(static_cast<size_t>(row)));
  EnableMenuItem(menu, kAOpenRegedit, MF_BYCOMMAND | (canOpen ? MF_ENABLED : MF_GRAYED));
}

void TfrmKelvane::bScanRegistryClick() {
  try {
    categoryIds_ = tree_.Collect();
    haveCategoryIds_ = true;
    if (results_.Count() == 0) {
      ListView_SetColumnWidth(lvRegistryData_, 1, S(300));
      ListView_SetColumnWidth(lvRegistryData_, 2, S(150));
    }
    if (categoryIds_.empty())
      return;
    results_.Clear();
    RefreshList(false);
    ScanOptions options;
    options.unattended = unattended_;
    options.includeRemoveMedia = OptionsSetting.IncludeRemoveMedia;
    options.includeCdDrive = OptionsSetting.IncludeCDdrive;
    const int result = ShowScanProgress(hwnd_, platform_, results_, categoryIds_, options);
    if (result == kModalAbort && results_.Count() > 0)
      results_.RemoveLast();
    results_.SetAllTicked(true);
    RefreshList(true);  // the columns fit every row found, before the ignore lists act
    ApplyIgnoreLists(results_, OptionsSetting);
    RefreshList(false);
    UpdateStatusCounts();
  } catch (...) {
    // The scan ends silently; the rows found so far stay.
    RefreshList(false);
  }
}

void TfrmKelvane::bRepairRegistryClick() {
  const auto refresh = [this] {
    RefreshList(false);
    UpdateStatusCounts();
  };
  const RepairOutcome outcome = RepairRegistryCommand(hwnd_, platform_, results_, refresh);
  refresh();
  exitCode_ = unattended_ ? CleanOnceExitCode(outcome) : 0;
}

void TfrmKelvane::miHelpClick() {
  platform_.shell.Open(platform_.shell.ExecutableFolder() + "Kelvane.chm", "", ShellOpen{hwnd_});
}

void TfrmKelvane::miHomePageClick() {
  platform_.shell.Open(kHomePage, "", ShellOpen{hwnd_});
}

void TfrmKelvane::miAboutClick() {
  ShowAbout(hwnd_, platform_);
}

void TfrmKelvane::aSelectAllExecute() {
  SelectAll(results_, true);
  InvalidateRect(lvRegistryData_, nullptr, FALSE);
  UpdateStatusCounts();
}

void TfrmKelvane::aSelectNoneExecute() {
  SelectAll(results_, false);
  InvalidateRect(lvRegistryData_, nullptr, FALSE);
  UpdateStatusCounts();
}

void TfrmKelvane::aSelectAllTypeExecute() {
  const int row = SelectedRow();
  if (row < 0)
    return;
  SelectOfType(results_, static_cast<size_t>(row), true);
  InvalidateRect(lvRegistryData_, nullptr, FALSE);
  UpdateStatusCounts();
}

void TfrmKelvane::aSelectNoneTypeExecute() {
  const int row = SelectedRow();
  if (row < 0)
    return;
  SelectOfType(results_, static_cast<size_t>(row), false);
  InvalidateRect(lvRegistryData_, nullptr, FALSE);
  UpdateStatusCounts();
}

void TfrmKelvane::aOpenRegeditExecute() {
  const int row = SelectedRow();
  if (row < 0)
    return;
  const IssueRow issue = results_.Row(static_cast<size_t>(row));
  if (!CanOpenInRegedit(issue))
    return;
  OpenInRegedit(platform_, issue);
}

void TfrmKelvane::CleanOnce() {
  ShowWindow(hwnd_, SW_HIDE);
  bScanRegistryClick();
  bRepairRegistryClick();
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void TfrmKelvane::ActivateInstance() {
  ShowWindow(hwnd_, SW_SHOW);
  if (IsIconic(hwnd_))
    ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
}

bool TfrmKelvane::FormClose() {
  categoryIds_.clear();
  haveCategoryIds_ = false;
  if (settingsLoaded_) {
    try {
      LoadSaveOptions(platform_, false, *this);
    } catch (const SettingsWriteError& error) {
      ShowApplicationError(hwnd_, error.what());
      return false;  // the window stays open; the next close tries again
    }
  }
  return true;
}

WindowBounds TfrmKelvane::Bounds() {
  RECT rect;
  GetWindowRect(hwnd_, &rect);
  // A minimised window's rectangle is its icon far off the screen: its bounds are the
  // ones it would be restored to.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement))
    rect = placement.rcNormalPosition;
  return WindowBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void TfrmKelvane::SetLeft(int left) {
  const WindowBounds b = Bounds();
  MoveWindow(hwnd_, left, b.top, b.width, b.height, TRUE);
}

void TfrmKelvane::SetTop(int top) {
  const WindowBounds b = Bounds();
  MoveWindow(hwnd_, b.left, top, b.width, b.height, TRUE);
}

void TfrmKelvane::SetWidth(int width) {
  const WindowBounds b = Bounds();
  MoveWindow(hwnd_, b.left, b.top, width, b.height, TRUE);
}

void TfrmKelvane::SetHeight(int height) {
  const WindowBounds b = Bounds();
  MoveWindow(hwnd_, b.left, b.top, b.width, height, TRUE);
}

int TfrmKelvane::ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int TfrmKelvane::ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

std::optional<int> TfrmKelvane::ShowCommand() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;  // 44
  if (!GetWindowPlacement(hwnd_, &placement))
    return std::nullopt;
  return static_cast<int>(placement.showCmd);
}

void TfrmKelvane::StoreTreeTicks(std::array<bool, 23>& ticks) {
  tree_.Store(ticks);
}

}  // namespace kelvane
