// Date-time text in the user's default form.
#pragma once

#include <string>

namespace platform {

// UserLocaleDateTimeText()
// Renders the OLE date `days` the way the system's date-to-text conversion does for
// the user's default locale with no flags: the short date, a blank, the time; at
// exactly midnight the date alone. Win32 asks the user's locale; POSIX uses the
// form dd.MM.yyyy H:mm:ss (06.12.2026 9:05:00). A value that cannot be rendered
// gives an empty text.
std::string UserLocaleDateTimeText(double days);

}  // namespace platform
