// The test hook in front of the platform's message box.
#include "platform/message_box.h"

#include <utility>

namespace platform {
namespace {
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

void ShowMessageBox(const std::string& text, const char* caption, MessageIcon icon,
                    bool ownedByActiveWindow) {
  if (Hook()) {
    // Copy: the hook may replace itself.
    MessageBoxHook hook = Hook();
    hook(text, caption ? std::string(caption) : std::string());
    return;
  }
  ShowMessageBoxNative(text, caption, icon, ownedByActiveWindow);
}

}  // namespace platform
