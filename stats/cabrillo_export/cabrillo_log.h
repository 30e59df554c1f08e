// The entry log in the Cabrillo 3.0 format: QSO lines collected one by one, then
// the whole log written to a file named after the station.
//
// Every line ends in CR LF, written as bytes on every platform. Texts go out as
// they are (8-bit, the host's code page): no trimming, no case change, no cut.
#pragma once

#include <cstdint>
#include <string>

#include "stats/state/ole_date_time.h"
#include "stats/settings/entrant_details.h"

namespace stats {

// The file of extra header lines copied into every log, in the current directory.
inline constexpr char kExtraHeaderFile[] = "cabrillo.ini";
inline constexpr char kCabrilloExtension[] = ".cbr";
inline constexpr char kFileProducedText[] = "File produced: ";
inline constexpr char kFileNotProducedText[] = "File not produced: ";

// CabrilloModeCode()
// The mode column for a host mode text: "CW" for "CW", "PM" for "BPSK63" and
// "BPSK62", "PH" for "SSB", "??" for anything else (compared byte for byte).
const char* CabrilloModeCode(const std::string& mode);

// FormatQsoLine()
// One QSO line, "QSO: %5i %2s %s %-13s %-3s %-6s %-13s %-3s %s" and CR LF, with
// the frequency in kHz, the mode code, the QSO time as date text, the sent call,
// RST and number, then the received call, RST and number. A value longer than its
// column is written whole and moves the later columns.
std::string FormatQsoLine(const std::string& sentCall, const std::string& call,
                          std::int32_t freqKhz, const std::string& modeCode,
                          const COleDateTime& time, const std::string& rstSent,
                          const std::string& sentNumber, const std::string& rstRcvd,
                          const std::string& rcvdNumber);

// AddQsoLine()
// Formats one QSO with `details.callsign` as the sent call and appends the line
// to `details.qsoLines`.
void AddQsoLine(EntrantDetails& details, const std::string& call, std::int32_t freqKhz,
                const std::string& modeCode, const COleDateTime& time,
                const std::string& rstSent, const std::string& sentNumber,
                const std::string& rstRcvd, const std::string& rcvdNumber);

// CabrilloLogText()
// The bytes of the whole log: the sixteen header lines from `details` (CLAIMED-SCORE
// carries `claimedScore`), the bytes of `extraHeader` (followed by CR LF when they
// do not end in a line feed, so the next line stays a line of its own), every
// text of `details.qsoLines`, and the end line.
std::string CabrilloLogText(const EntrantDetails& details, const std::string& claimedScore,
                            const std::string& extraHeader);

// WriteCabrilloLog()
// Writes the log to `details.fileStem` + ".cbr" in the current directory, reading
// (and, when missing, creating empty) "cabrillo.ini" for the extra header lines,
// then empties `details.qsoLines`. The log is written to a temporary file in the
// same folder and put in place of the old one only when complete, so a failed
// write keeps the previous log. Returns the text for the operator: "File produced: "
// or, when the log could not be written, "File not produced: ", then the file name.
std::string WriteCabrilloLog(EntrantDetails& details, const std::string& claimedScore);

}  // namespace stats
