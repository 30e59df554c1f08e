// Reads a Cabrillo log: the CALLSIGN header and the QSO lines of the conventional
// layout for an RST and serial exchange.
#pragma once

#include <string_view>

#include "host/qso_log.h"

namespace zelta {

// ReadCabrilloLog()
// The QSO lines of `bytes` (CR LF, LF or CR line ends; tags in any case), split on
// blanks: freq mo date time call rst exch call rst exch, and an optional
// transmitter number. The frequency is in kHz (decimals allowed) or a band
// designator from 50 MHz up; the mode codes CW, PH, PM and RY become "CW", "SSB",
// "BPSK63" and "RTTY". A line that does not fit is skipped with its reason.
// X-QSO lines and everything after END-OF-LOG: are ignored.
QsoLog ReadCabrilloLog(std::string_view bytes);

}  // namespace zelta
