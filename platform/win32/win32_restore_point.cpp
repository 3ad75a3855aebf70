#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <sddl.h>
#include <srrestoreptapi.h>
#include <wbemidl.h>

#include <algorithm>
#include <cstdio>

#include "platform/win32/win32_handles.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/win32_restore_point.h"

namespace kelvane {

namespace {

static_assert(sizeof(RESTOREPOINTINFOW) == 528);
static_assert(sizeof(STATEMGRSTATUS) == 12);

using SetRestorePointW = BOOL(WINAPI*)(PRESTOREPOINTINFOW, PSTATEMGRSTATUS);

std::string SystemLibraryPath() {
  char folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return std::string();
  std::string path(folder, n);
  if (path.back() != '\\')
    path += '\\';
  return path + "SrClient.dll";
}

UniqueBstr Bstr(const wchar_t* text) {
  return UniqueBstr(SysAllocString(text));
}

// A WMI date ("yyyymmddHHMMSS.mmmmmmsUUU", UTC) as local "yyyy-mm-dd hh:mm".
std::string LocalTimeText(const wchar_t* dmtf) {
  // Its first fourteen characters are digits: year, month, day, hours, minutes, seconds.
  const auto number = [dmtf](int from, int count) {
    WORD value = 0;
    for (int i = from; i < from + count; ++i)
      value = static_cast<WORD>(value * 10 + (dmtf[i] - L'0'));
    return value;
  };
  for (int i = 0; i < 14; ++i) {
    if (!dmtf || dmtf[i] < L'0' || dmtf[i] > L'9')
      return {};
  }
  SYSTEMTIME utc{};
  utc.wYear = number(0, 4);
  utc.wMonth = number(4, 2);
  utc.wDay = number(6, 2);
  utc.wHour = number(8, 2);
  utc.wMinute = number(10, 2);
  utc.wSecond = number(12, 2);
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    local = utc;
  char text[32] = {};
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", local.wYear, local.wMonth,
                local.wDay, local.wHour, local.wMinute);
  return text;
}

}  // namespace

// A planted SrClient.dll beside the program or in the current folder must never be
// loaded, so the library is named by its full path in the system folder.
Win32RestorePointService::Win32RestorePointService() : libraryPath_(SystemLibraryPath()) {}

Win32RestorePointService::Win32RestorePointService(std::string libraryPath)
    : libraryPath_(std::move(libraryPath)) {}

Win32RestorePointService::~Win32RestorePointService() = default;

RestorePointCall Win32RestorePointService::Call(DWORD eventType, DWORD pointType, int64_t sequence,
                                                const std::string& description) {
  RestorePointCall call;
  if (!library_ && !libraryPath_.empty())
    library_.Reset(LoadLibraryExA(libraryPath_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  const auto entry = library_ ? reinterpret_cast<SetRestorePointW>(reinterpret_cast<void*>(
                                    GetProcAddress(library_.Get(), "SRSetRestorePointW")))
                              : nullptr;
  if (!entry) {
    call.available = false;
    return call;
  }
  ComThread com;
  RESTOREPOINTINFOW info{};
  info.dwEventType = eventType;
  info.dwRestorePtType = pointType;
  info.llSequenceNumber = sequence;
  const std::wstring wide = WideFromUtf8(description);
  std::copy_n(wide.c_str(), std::min<size_t>(wide.size(), MAX_DESC - 1), info.szDescription);
  STATEMGRSTATUS status{};
  call.succeeded = entry(&info, &status) != FALSE;
  call.status = status.nStatus;
  call.sequence = status.llSequenceNumber;
  return call;
}

RestorePointCall Win32RestorePointService::Begin(const std::string& description) {
  return Call(BEGIN_SYSTEM_CHANGE, APPLICATION_INSTALL, 0, description);
}

RestorePointCall Win32RestorePointService::End(int64_t sequence, bool cancelled) {
  return Call(END_SYSTEM_CHANGE, cancelled ? CANCELLED_OPERATION : APPLICATION_INSTALL, sequence,
              std::string());
}

std::vector<RestorePointRecord> Win32RestorePointService::List() {
  std::vector<RestorePointRecord> points;
  ComThread com;
  ComPtr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(locator.Put()))))
    return points;
  ComPtr<IWbemServices> services;
  if (FAILED(locator->ConnectServer(Bstr(L"ROOT\\DEFAULT").Get(), nullptr, nullptr, nullptr, 0,
                                    nullptr, nullptr, services.Put())))
    return points;
  CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                    RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  ComPtr<IEnumWbemClassObject> rows;
  if (FAILED(services->ExecQuery(Bstr(L"WQL").Get(), Bstr(L"SELECT * FROM SystemRestore").Get(),
                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                 rows.Put())))
    return points;
  for (;;) {
    ComPtr<IWbemClassObject> row;
    ULONG got = 0;
    if (rows->Next(WBEM_INFINITE, 1, row.Put(), &got) != WBEM_S_NO_ERROR || got == 0)
      break;
    RestorePointRecord record;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(row->Get(L"SequenceNumber", 0, &value, nullptr, nullptr)) &&
        SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I8)))
      record.sequence = value.llVal;
    VariantClear(&value);
    if (SUCCEEDED(row->Get(L"CreationTime", 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR)
      record.time = LocalTimeText(value.bstrVal);
    VariantClear(&value);
    if (SUCCEEDED(row->Get(L"Description", 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR)
      record.description = Utf8FromWide(value.bstrVal);
    VariantClear(&value);
    points.push_back(record);
  }
  return points;
}

void InitializeComSecurityForSystemRestore() {
  if (FAILED(CoInitialize(nullptr)))  // the thread's COM, kept for the program's life
    return;
  // Access for the owner, the administrators and the three service accounts that
  // System Restore runs under; COM takes it only in absolute form.
  UniqueLocalMemory<PSECURITY_DESCRIPTOR> relative;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"O:BAG:BAD:(A;;0x7;;;PS)(A;;0x7;;;SY)(A;;0x7;;;BA)(A;;0x7;;;NS)(A;;0x7;;;LS)",
          SDDL_REVISION_1, relative.Put(), nullptr))
    return;
  DWORD sdSize = 0, daclSize = 0, saclSize = 0, ownerSize = 0, groupSize = 0;
  MakeAbsoluteSD(relative.Get(), nullptr, &sdSize, nullptr, &daclSize, nullptr, &saclSize, nullptr,
                 &ownerSize, nullptr, &groupSize);
  std::string sd(sdSize, '\0'), dacl(daclSize, '\0'), sacl(saclSize, '\0'), owner(ownerSize, '\0'),
      group(groupSize, '\0');
  if (MakeAbsoluteSD(relative.Get(), sd.data(), &sdSize, reinterpret_cast<PACL>(dacl.data()),
                     &daclSize, reinterpret_cast<PACL>(sacl.data()), &saclSize, owner.data(),
                     &ownerSize, group.data(), &groupSize)) {
    CoInitializeSecurity(sd.data(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                         RPC_C_IMP_LEVEL_IDENTIFY, nullptr,
                         EOAC_DISABLE_AAA | EOAC_NO_CUSTOM_MARSHAL, nullptr);
  }
}

}  // namespace kelvane
