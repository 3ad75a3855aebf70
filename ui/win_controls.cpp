#include "ui/win_controls.h"

#include <algorithm>

#include "platform/program_texts.h"
#include "ui/win_dpi.h"

namespace kelvane {

std::string LoadResString(UINT id) {
  wchar_t buffer[1024] = {};
  const int n = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 1024);
  return Utf8(std::wstring_view(buffer, n > 0 ? static_cast<size_t>(n) : 0));
}

int AppMessageBox(HWND owner, const std::string& text, UINT flags) {
  return ShowMessageBox(owner, text, kApplicationTitle, flags);
}

void ShowApplicationError(HWND owner, const std::string& text) {
  const bool fullStop = !text.empty() && static_cast<unsigned char>(text.back()) > '.';
  ShowMessageBox(owner, fullStop ? text + "." : text, kApplicationTitle, MB_OK | MB_ICONERROR);
}

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
                 int h, int id, HFONT font, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, Wide(cls).c_str(), Wide(text ? text : "").c_str(),
                                 WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control && font)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return control;
}

namespace {

// The window property by which a window's controls find its callbacks.
constexpr wchar_t kCallbacksProperty[] = L"KelvaneControlCallbacks";

}  // namespace

void ControlCallbacks::Attach(HWND parent) {
  Detach();
  if (parent && SetPropW(parent, kCallbacksProperty, this))
    parent_ = parent;
}

void ControlCallbacks::Detach() {
  if (parent_ && IsWindow(parent_))
    RemovePropW(parent_, kCallbacksProperty);
  parent_ = nullptr;
  handlers_.clear();
}

ControlCallbacks* ControlCallbacks::Of(HWND parent) {
  return parent ? static_cast<ControlCallbacks*>(GetPropW(parent, kCallbacksProperty)) : nullptr;
}

bool ControlCallbacks::Route(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const {
  ControlNotice notice;
  HWND control = nullptr;
  if (msg == WM_COMMAND) {
    // A key's command (Enter, Escape) may come without the control: it is the one of
    // that id.
    control = lParam ? reinterpret_cast<HWND>(lParam) : GetDlgItem(parent_, LOWORD(wParam));
    notice.code = HIWORD(wParam);
  } else if (msg == WM_NOTIFY) {
    notice.header = reinterpret_cast<const NMHDR*>(lParam);
    control = notice.header->hwndFrom;
    notice.code = notice.header->code;
  }
  if (!control)
    return false;
  // A callback may set others: the control's are taken first.
  std::vector<Handler> taking;
  for (const Entry& entry : handlers_) {
    if (entry.control == control)
      taking.push_back(entry.handler);
  }
  for (const Handler& handler : taking) {
    if (handler(notice, result))
      return true;
  }
  return false;
}

void Control::Listen(ControlCallbacks::Handler handler) const {
  if (ControlCallbacks* callbacks = ControlCallbacks::Of(GetParent(hwnd_)))
    callbacks->Add(hwnd_, std::move(handler));
}

void Control::ListenFor(UINT code, std::function<void()> run) const {
  Listen([code, run = std::move(run)](const ControlNotice& notice, LRESULT*) {
    if (notice.code != code)
      return false;
    run();
    return true;
  });
}

const Button& Button::OnClick(std::function<void()> run) const {
  ListenFor(BN_CLICKED, std::move(run));
  return *this;
}

const Link& Link::OnClick(std::function<void()> run) const {
  ListenFor(STN_CLICKED, std::move(run));
  return *this;
}

const CheckBox& CheckBox::OnCheck(std::function<void(bool checked)> run) const {
  ListenFor(BN_CLICKED, [box = *this, run = std::move(run)] { run(box.Checked()); });
  return *this;
}

const Edit& Edit::OnChange(std::function<void(const std::string& text)> run) const {
  ListenFor(EN_CHANGE, [edit = *this, run = std::move(run)] { run(edit.Text()); });
  return *this;
}

const TabControl& TabControl::OnSelect(std::function<void(int page)> run) const {
  ListenFor(TCN_SELCHANGE, [tabs = *this, run = std::move(run)] { run(tabs.Current()); });
  return *this;
}

const ReportList& ReportList::OnSelect(std::function<void(int row)> run) const {
  Listen([list = *this, run = std::move(run)](const ControlNotice& notice, LRESULT*) {
    if (notice.code != LVN_ITEMCHANGED)
      return false;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(notice.header);
    if (!(change->uChanged & LVIF_STATE) ||
        !((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
      return false;
    run(list.Selected());
    return true;
  });
  return *this;
}

const ReportList& ReportList::OnDoubleClick(std::function<void()> run) const {
  ListenFor(NM_DBLCLK, std::move(run));
  return *this;
}

std::string Edit::Text() const {
  return WindowText(hwnd_);
}

void Edit::SetText(const std::string& text) const {
  kelvane::SetText(hwnd_, text);
}

void TabControl::AddPage(const char* caption) const {
  std::wstring text = Wide(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageW(hwnd_, TCM_INSERTITEMW, Count(), reinterpret_cast<LPARAM>(&item));
}

ReportList::ReportList(HWND list, UINT dpi, DWORD extendedStyles,
                       std::initializer_list<Column> columns)
    : Control(list) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | extendedStyles);
  int index = 0;
  for (const Column& column : columns) {
    std::wstring caption = Wide(column.caption);
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.pszText = caption.data();
    header.cx = ScaleToDpi(column.width, dpi);
    SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&header));
  }
}

void ReportList::AddRow(const Cells& cells) const {
  LVITEMW item{};
  item.iItem = Count();
  const auto row =
      static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (size_t column = 0; column < cells.size(); ++column)
    SetCell(row, static_cast<int>(column), cells[column]);
}

void ReportList::SetCell(int row, int column, const std::string& text) const {
  std::wstring wide = Wide(text);
  LVITEMW cell{};
  cell.iSubItem = column;
  cell.pszText = wide.data();
  SendMessageW(hwnd_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

void ReportList::FitColumns() const {
  const auto header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
  const auto columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int column = 0; column < columns; ++column)
    SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
}

std::vector<bool> ReportList::Ticks() const {
  std::vector<bool> ticks(static_cast<size_t>(Count()));
  for (size_t row = 0; row < ticks.size(); ++row)
    ticks[row] = ListView_GetCheckState(hwnd_, static_cast<UINT>(row)) != 0;
  return ticks;
}

// The timer is the bar's own, named by the address of this object.
void ProgressBar::Run(UINT interval, NextPosition next, std::function<void()> onTick) {
  next_ = next;
  onTick_ = std::move(onTick);
  running_ = SetTimer(hwnd_, reinterpret_cast<UINT_PTR>(this), interval, &Tick) != 0;
}

void CALLBACK ProgressBar::Tick(HWND, UINT, UINT_PTR self, DWORD) {
  auto* bar = reinterpret_cast<ProgressBar*>(self);
  if (bar->onTick_)
    bar->onTick_();
  if (bar->running_)
    bar->SetPosition(bar->next_(static_cast<int>(SendMessageW(bar->hwnd_, PBM_GETPOS, 0, 0))));
}

HBRUSH TabBodyBrush::ForControl(HWND tabs, HWND control, HDC dc) {
  RECT body;
  GetClientRect(tabs, &body);
  if (!brush_ || body.right != size_.cx || body.bottom != size_.cy) {
    size_ = SIZE{body.right, body.bottom};
    brush_ = PaintedBrush(tabs, std::max<LONG>(body.right, 1), std::max<LONG>(body.bottom, 1),
                          [&](HDC memory) {
                            FillRect(memory, &body, GetSysColorBrush(COLOR_BTNFACE));
                            SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                                         PRF_CLIENT | PRF_ERASEBKGND);
                          });
  }
  if (!brush_)
    return nullptr;
  const RECT place = PlaceIn(tabs, control);
  SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return brush_.Get();
}

}  // namespace kelvane
