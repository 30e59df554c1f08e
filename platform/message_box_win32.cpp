// Win32 side of message_box.h.
#include <windows.h>

#include "platform/message_box.h"

namespace platform {

void ShowMessageBoxNative(const std::string& text, const char* caption, MessageIcon icon,
                          bool ownedByActiveWindow) {
  HWND owner = ownedByActiveWindow ? GetActiveWindow() : nullptr;
  UINT type = MB_OK;
  if (icon == MessageIcon::kInformation) type |= MB_ICONINFORMATION;
  MessageBoxA(owner, text.c_str(), caption, type);
}

}  // namespace platform
