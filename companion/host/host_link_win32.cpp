// Win32 side of host_link.h: binds through the running object table, calls
// "ExecuteMacros" late-bound through IDispatch, finds the host's main window.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "companion/host/host_link_win32.h"
#include "companion/host/host_window_class.h"

namespace companion {
namespace {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(size > 0 ? size - 1 : 0);
  return narrow;
}

// The system's text for an HRESULT that came without a description.
std::string SystemErrorText(HRESULT hr) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length != 0 ? std::string(buffer, length) : std::string();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

HostError ErrorFromHresult(HRESULT hr) { return {SystemErrorText(hr), static_cast<long>(hr)}; }

// The error the host raised through EXCEPINFO; frees the texts it holds.
HostError ErrorFromException(EXCEPINFO& info, HRESULT hr) {
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  HostError error;
  error.description = Narrow(info.bstrDescription);
  if (info.scode != 0) {
    error.code = static_cast<long>(info.scode);
  } else if (info.wCode != 0) {
    error.code = info.wCode;
  } else {
    error.code = static_cast<long>(hr);
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return error;
}

// The enumeration's found-window store.
HWND foundHostWindow = nullptr;

BOOL CALLBACK MatchHostWindow(HWND window, LPARAM) {
  char className[256] = {};
  GetClassNameA(window, className, sizeof className);
  if (!IsHostWindowClass(className)) return TRUE;
  foundHostWindow = window;
  return FALSE;
}

}  // namespace

bool Win32HostLink::BindHost() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(Widen(progId_).c_str(), &clsid))) return false;
  IUnknown* unknown = nullptr;
  if (FAILED(GetActiveObject(clsid, nullptr, &unknown)) || unknown == nullptr) return false;
  IDispatch* dispatch = nullptr;
  HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  unknown->Release();
  if (FAILED(hr) || dispatch == nullptr) return false;
  ReleaseHost();
  dispatch_ = dispatch;
  return true;
}

std::optional<HostError> Win32HostLink::RunHostMacro(const std::string& macro) {
  if (dispatch_ == nullptr) return HostError{"The host's automation object is not bound.", E_POINTER};
  // Messages delivered during the call (a timer tick) may bind again and drop
  // the held reference; this call keeps its own.
  IDispatch* dispatch = static_cast<IDispatch*>(dispatch_);
  dispatch->AddRef();

  std::optional<HostError> result;
  wchar_t methodName[] = L"ExecuteMacros";
  LPOLESTR names[] = {methodName};
  DISPID dispid = DISPID_UNKNOWN;
  HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
  if (FAILED(hr)) {
    result = ErrorFromHresult(hr);
  } else {
    std::wstring wide = Widen(macro);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    DISPPARAMS parameters = {&argument, nullptr, 1, 0};
    VARIANT returned;
    VariantInit(&returned);
    EXCEPINFO exception = {};
    UINT argumentError = 0;
    hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                          &returned, &exception, &argumentError);
    if (hr == DISP_E_EXCEPTION) {
      result = ErrorFromException(exception, hr);
    } else if (FAILED(hr)) {
      result = ErrorFromHresult(hr);
    }
    VariantClear(&returned);
    VariantClear(&argument);
  }
  dispatch->Release();
  return result;
}

void* Win32HostLink::FindHostWindow() {
  foundHostWindow = nullptr;
  EnumWindows(MatchHostWindow, 0);
  return foundHostWindow;
}

void Win32HostLink::FocusHost(void* window) { SetForegroundWindow(static_cast<HWND>(window)); }

void Win32HostLink::ReleaseHost() {
  if (dispatch_ == nullptr) return;
  static_cast<IDispatch*>(dispatch_)->Release();
  dispatch_ = nullptr;
}

}  // namespace companion
