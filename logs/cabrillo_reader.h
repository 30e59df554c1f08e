// Reads a Cabrillo log: the header lines and the QSO lines of any layout whose
// sent and received exchanges have the same number of fields.
#pragma once

#include <cstddef>
#include <string_view>

#include "logs/qso_log.h"

namespace logs {

// CabrilloStart()
// Where the Cabrillo log in `bytes` begins: the first line whose text begins
// with START-OF-LOG: (any case, blanks before it allowed), else the first that
// begins with QSO:; npos when there is neither.
std::size_t CabrilloStart(std::string_view bytes);

// ReadCabrilloLog()
// The log that begins at CabrilloStart(); lines before it (a web form, an e-mail)
// are ignored with a warning. Lines end in CR LF, LF or CR; tags are in any case.
// QSO lines are split on blanks (spaces, tabs and no-break spaces, U+00A0 in UTF-8
// or byte A0 of the Windows code pages): freq mo date time call exch... call exch... and
// an optional transmitter number, where both exchanges have as many fields. With
// two fields each (rst and number) they go over as they stand; otherwise the rst
// is the first field when it looks like one, and the number the first field of
// digits after it. The frequency is in kHz (decimals allowed) or a band
// designator from 50 MHz up; the mode codes CW, PH, PM and RY become "CW", "SSB",
// "BPSK63" and "RTTY". A line that does not fit is skipped with its reason. QSO
// lines after END-OF-LOG: (logs joined into one file) are read, with a warning.
// X-QSO lines are ignored. QSOs go to `sink` when one is given, else into `qsos`.
QsoLog ReadCabrilloLog(std::string_view bytes, const QsoSink& sink = nullptr);

}  // namespace logs
