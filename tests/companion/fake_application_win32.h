// A stand-in for the host's automation object: IDispatch with the one method
// "ExecuteMacros", which hands each macro text to a callback. Win32 test code only.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>

namespace fake_host {

class FakeApplication final : public IDispatch {
 public:
  // Gets every macro text; returns true to raise the error for it instead of accepting it.
  using MacroHandler = std::function<bool(const std::wstring& macro)>;

  FakeApplication(MacroHandler handler, std::wstring errorText = L"", SCODE errorCode = S_OK)
      : handler_(std::move(handler)), errorText_(std::move(errorText)), errorCode_(errorCode) {}

  // References held by others than the creator, who owns the object.
  LONG OutsideReferences() const { return references_ - 1; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references_); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    // Automation names are not case-sensitive.
    const bool known = count == 1 && _wcsicmp(names[0], L"ExecuteMacros") == 0;
    for (UINT i = 0; i < count; ++i) ids[i] = known ? kExecuteMacros : DISPID_UNKNOWN;
    return known ? S_OK : DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    if (id != kExecuteMacros || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    const BSTR macro = parameters->rgvarg[0].bstrVal;
    if (!handler_(std::wstring(macro, SysStringLen(macro)))) {
      if (result != nullptr) VariantInit(result);
      return S_OK;
    }
    if (exception != nullptr) {
      *exception = {};
      exception->bstrSource = SysAllocString(L"Orvo2");
      exception->bstrDescription = SysAllocString(errorText_.c_str());
      exception->scode = errorCode_;
    }
    return DISP_E_EXCEPTION;
  }

 private:
  static constexpr DISPID kExecuteMacros = 1;
  LONG references_ = 1;
  MacroHandler handler_;
  std::wstring errorText_;
  SCODE errorCode_;
};

// Registers `progId` for the class `clsidText` under HKEY_CLASSES_ROOT (all that
// CLSIDFromProgID reads); the class, or CLSID_NULL.
inline CLSID RegisterProgId(const char* progId, const char* clsidText) {
  CLSID clsid = CLSID_NULL;
  const DWORD length = static_cast<DWORD>(std::strlen(clsidText));
  if (RegSetValueA(HKEY_CLASSES_ROOT, (std::string(progId) + "\\CLSID").c_str(), REG_SZ, clsidText,
                   length) == ERROR_SUCCESS)
    CLSIDFromString(std::wstring(clsidText, clsidText + length).c_str(), &clsid);
  return clsid;
}

}  // namespace fake_host
