#include "app/about_window.h"

#include <string>

#include "app/resource.h"
#include "platform/program_texts.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

constexpr int kIdAddress = 101;
constexpr int kBannerHeight = 50;
constexpr COLORREF kLinkColor = RGB(0, 0, 255);

class TfrmAbout : public ModalForm {
 public:
  explicit TfrmAbout(Platform& platform) : platform_(platform) {}
  TfrmAbout(const TfrmAbout&) = delete;
  TfrmAbout& operator=(const TfrmAbout&) = delete;

 protected:
  void FormCreate() override {
    HWND image1 = AddControl("STATIC", "", SS_ICON, 20, 66, 32, 32, -1);
    // The icon drawn at the form's DPI.
    icon_.Reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELVANE),
                                      IMAGE_ICON, Scale(32), Scale(32), 0)));
    SendMessageW(image1, STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
    label1_ = AddControl("STATIC", "", SS_LEFT, 68, 66, 270, 18, -1, DesignFont(10, true));
    AddControl("STATIC", "Version: " KELVANE_VERSION "   Build 20061224", SS_LEFT, 68, 90, 270, 16,
               -1);
    AddControl("STATIC", "Copyright (C) 2006 Varnok Software. All rights reserved.", SS_LEFT, 68,
               120, 280, 16, -1);
    AddControl("STATIC", "Support: support@varnok.example", SS_LEFT, 68, 138, 280, 16, -1);
    AddControl("STATIC", "", SS_SUNKEN, 68, 166, 262, 2, -1);
    lbEAddress_ = AddControl("STATIC", kHomePage, SS_LEFT | SS_NOTIFY, 68, 176, 262, 16, kIdAddress,
                             DesignFont(8, false, "MS Sans Serif", true));
    Link(lbEAddress_).OnClick([this] { lbEAddressClick(); });
    const auto close = [this] { EndModal(ModalResult::kOk); };
    AddButton("&OK", 143, 212, 75, 25, IDOK, BS_DEFPUSHBUTTON).OnClick(close);
    OnCommand(IDCANCEL, close);  // Escape and the close box
    FormShow();
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    switch (msg) {
      case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) != lbEAddress_)
          return false;
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        *result = TRUE;
        return true;
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != lbEAddress_)
          return false;
        SetTextColor(reinterpret_cast<HDC>(wParam), kLinkColor);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        *result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
      case WM_PAINT:
        PaintBanner();
        *result = TRUE;
        return true;
      default:
        return false;
    }
  }

 private:
  void FormShow() { SetText(label1_, kApplicationTitle); }

  void lbEAddressClick() {
    platform_.shell.Open(kHomePage, "", ShellOpen{hwnd_, ShellOpen::kShow});
  }

  // The banner across the top: a band shading from dark to light blue.
  void PaintBanner() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right;
    constexpr int kBands = 32;
    for (int i = 0; i < kBands; ++i) {
      RECT band{width * i / kBands, 0, width * (i + 1) / kBands, Scale(kBannerHeight)};
      FillRect(dc, &band,
               ScopedGdi<HBRUSH>(CreateSolidBrush(RGB(0, 40 + i * 3, 120 + i * 4))).Get());
    }
    EndPaint(hwnd_, &ps);
  }

  Platform& platform_;
  ScopedGdi<HICON> icon_;  // destroyed after the window, which shows it
  HWND label1_ = nullptr;
  HWND lbEAddress_ = nullptr;
};

}  // namespace

void ShowAbout(HWND owner, Platform& platform) {
  TfrmAbout form(platform);
  form.ShowModal(owner, kAboutCaption, kDialogStyle, 360, 249);
}

}  // namespace kelvane
