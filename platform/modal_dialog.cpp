// The test hook in front of the platform's modal dialog, and the combo box rule
// that both sides share.
#include "platform/modal_dialog.h"

#include <utility>

namespace platform {
namespace {
ModalDialogHook& Hook() {
  static ModalDialogHook hook;
  return hook;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

void SetModalDialogHook(ModalDialogHook hook) { Hook() = std::move(hook); }

int RunModalDialog(DialogForm& form) {
  if (Hook()) {
    // Copy: the hook may replace itself.
    ModalDialogHook hook = Hook();
    return hook(form);
  }
  return RunModalDialogNative(form);
}

int FirstItemStartingWith(const std::vector<std::string>& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    if (item.size() < text.size()) continue;
    bool matches = true;
    for (std::size_t k = 0; k < text.size() && matches; ++k) {
      matches = AsciiLower(item[k]) == AsciiLower(text[k]);
    }
    if (matches) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace platform
