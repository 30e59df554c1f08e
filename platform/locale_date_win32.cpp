// Win32 side of locale_date.h.
#include <windows.h>
#include <oleauto.h>

#include "platform/locale_date.h"

namespace platform {

std::string UserLocaleDateTimeText(double days) {
  BSTR wide = nullptr;
  if (FAILED(VarBstrFromDate(days, LOCALE_USER_DEFAULT, 0, &wide)) || wide == nullptr) {
    return std::string();
  }
  std::string text;
  const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length > 1) {
    text.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length - 1));
  }
  SysFreeString(wide);
  return text;
}

}  // namespace platform
