// Reads an ADIF log in the .adi form.
//
// The reader follows the format's own rules and the habits of real files: a
// header is optional, tags and enumeration values may be in any case, lengths
// count bytes (or, when the byte count does not end at a field boundary, UTF-8
// characters), text between fields is ignored, and the last record may lack its
// <EOR>. Lengths alone delimit the data: '<' and '>' inside a value are data,
// unless a blank and a complete tag stand inside a value whose length is wrong:
// then the value ends before them (some writers declare too long a length).
// End-of-file markers such as <EOF> or <APP_x_EOF> are not records.
#pragma once

#include <string_view>

#include "logs/qso_log.h"

namespace logs {

// ReadAdifLog()
// The QSOs of `bytes`, each converted for the plug-in (see qso_fields.h), to
// `sink` when one is given, else into `qsos`. A record that cannot become a
// complete QSO (no CALL, no valid date or time, no band, no MODE, a serial that
// is not a number, a needed field whose length is wrong, two records run into
// one) is left out and noted in `skipped` with its reason. A damaged tag (no '>',
// a length that is not a number or runs past the end of the file) costs the
// record it stands in: reading goes on after the next <EOR>. A record without
// sent or received number is kept: the plug-in refuses it into its check file.
// Where BAND is valid, a FREQ that is no frequency or lies off the band gives a
// warning and the band's lower edge. Never throws LogRefused.
QsoLog ReadAdifLog(std::string_view bytes, const QsoSink& sink = nullptr);

}  // namespace logs
