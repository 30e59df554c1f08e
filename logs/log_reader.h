// Reads a contest log whose format is recognised by its content.
#pragma once

#include <string_view>

#include "logs/qso_log.h"

namespace logs {

// ReadLog()
// Text in UTF-16 (either byte order, with or without a byte order mark) is
// converted to UTF-8 first, and a UTF-8 byte order mark is passed over; every
// position still counts bytes of `bytes`. The log is Cabrillo when a line begins
// with START-OF-LOG:, wherever it stands; otherwise ADIF when the text has a '<'
// or is blank (an empty log), and Cabrillo when a line begins with QSO:. QSOs go
// to `sink` when one is given. Throws LogRefused when the text is neither.
QsoLog ReadLog(std::string_view bytes, const QsoSink& sink = nullptr);

}  // namespace logs
