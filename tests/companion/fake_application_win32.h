// A stand-in for the host's automation object: IDispatch with the one method
// "ExecuteMacros", which hands each macro text to a callback. Win32 test code only.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <cstring>
#include <functional>
#include <string>

namespace fake_host {

class FakeApplication final : public IDispatch {
 public:
  static constexpr DISPID executeMacrosId = 1;

  // Gets every macro text; returns true to raise `error` for it instead of accepting it.
  using MacroHandler = std::function<bool(const std::wstring& macro)>;
  struct Error {
    std::wstring description;
    SCODE code;
  };

  FakeApplication(MacroHandler handler, Error error)
      : handler_(std::move(handler)), error_(std::move(error)) {}

  // References held by others than the creator.
  LONG OutsideReferences() const { return references_ - 1; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The creator owns the object; counting only shows who still holds it.
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
    if (count != 1 || _wcsicmp(names[0], L"ExecuteMacros") != 0) {
      for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    ids[0] = executeMacrosId;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    if (id != executeMacrosId || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (parameters == nullptr || parameters->cArgs != 1 || parameters->cNamedArgs != 0)
      return DISP_E_BADPARAMCOUNT;
    const VARIANT& argument = parameters->rgvarg[0];
    if (argument.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    std::wstring macro(argument.bstrVal != nullptr ? argument.bstrVal : L"",
                       SysStringLen(argument.bstrVal));
    if (handler_(macro)) {
      if (exception != nullptr) {
        *exception = {};
        exception->bstrSource = SysAllocString(L"Orvo2");
        exception->bstrDescription = SysAllocString(error_.description.c_str());
        exception->scode = error_.code;
      }
      return DISP_E_EXCEPTION;
    }
    if (result != nullptr) VariantInit(result);
    return S_OK;
  }

 private:
  LONG references_ = 1;
  MacroHandler handler_;
  Error error_;
};

// Registers `progId` for `clsid` under HKEY_CLASSES_ROOT (all that CLSIDFromProgID reads).
inline bool RegisterProgId(const char* progId, const char* clsidText) {
  HKEY key;
  std::string path = std::string(progId) + "\\CLSID";
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsidText),
                               static_cast<DWORD>(std::strlen(clsidText) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace fake_host
