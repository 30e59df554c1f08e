// Message boxes with a single OK button, shown modally to the operator.
//
// Every implementation must provide ShowMessageBoxNative(); the hook that tests
// install lives in message_box.cpp and is shared by both sides.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class MessageIcon { kNone, kInformation };

// ShowMessageBox()
// Shows `text` with one OK button and returns when the operator has closed it.
// A null `caption` leaves the caption to the system's default. With
// `ownedByActiveWindow` the box is owned by the calling thread's active window
// (none when the thread has none); otherwise it has no owner.
// On POSIX the box is written to standard error as "caption: text" and counts as OK.
void ShowMessageBox(const std::string& text, const char* caption, MessageIcon icon,
                    bool ownedByActiveWindow);

// What a test sees of a message box in place of the box itself. `caption` is
// empty for the system's default caption.
using MessageBoxHook = std::function<void(const std::string& text, const std::string& caption)>;

// SetMessageBoxHook()
// While a hook is set, ShowMessageBox() calls it instead of showing anything.
// Pass an empty function to show boxes again.
void SetMessageBoxHook(MessageBoxHook hook);

// The platform's own box; called by ShowMessageBox() when no hook is set.
void ShowMessageBoxNative(const std::string& text, const char* caption, MessageIcon icon,
                          bool ownedByActiveWindow);

}  // namespace platform
