// Reads a contest log whose format is recognised by its content.
#pragma once

#include <string_view>

#include "host/qso_log.h"

namespace zelta {

// ReadLog()
// Cabrillo when the first line that is not blank begins with START-OF-LOG: or
// QSO: (any case); otherwise ADIF when the text has a tag or is blank (an empty
// log). Throws LogRefused for anything else and for a broken ADIF structure.
QsoLog ReadLog(std::string_view bytes);

}  // namespace zelta
