// Reads an ADIF log in the .adi form.
//
// The reader follows the format's own rules and the habits of real files: a
// header is optional, tags and enumeration values may be in any case, lengths
// count bytes (or, when the byte count does not end at a field boundary, UTF-8
// characters), text between fields is ignored, and the last record may lack its
// <EOR>. Lengths alone delimit the data: '<' and '>' inside a value are data.
// A value must end at a field boundary (the next tag, a blank or line end, or the
// end of the file); text glued to it means its length is wrong, and the value is
// dropped rather than cut short.
#pragma once

#include <string_view>

#include "host/qso_log.h"

namespace zelta {

// ReadAdifLog()
// The QSOs of `bytes`, each converted for the plug-in (see qso_fields.h). A record
// that cannot become a complete QSO (no CALL, no valid date or time, no band, no
// MODE, a serial that is not a number, a needed field whose length is wrong) is
// left out and listed in `skipped` with its reason. A record without sent or
// received number is kept: the plug-in refuses it into its check file.
// Throws LogRefused when the file's structure is broken (a tag without '>', a
// length that is not a number, a value that runs past the end of the file).
QsoLog ReadAdifLog(std::string_view bytes);

}  // namespace zelta
