// A small Cabrillo 3.0 reader for the tests: it takes a log apart the way a
// contest's log checker does and says what it finds wrong with it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The ten columns of a QSO line with an RST and serial-number exchange.
struct CabrilloQso {
  std::string freq, mode, date, time, sentCall, sentRst, sentExch, rcvdCall, rcvdRst, rcvdExch;
};

struct CabrilloLog {
  std::vector<std::pair<std::string, std::string>> tags;  // header lines: tag, value
  std::vector<CabrilloQso> qsos;
  std::vector<std::string> errors;  // one text per fault found, with its line number
};

// ReadCabrilloQsoLine()
// Reads one QSO line (without its line end). It must hold exactly ten values after
// "QSO:", separated by blanks, and each value must stand in its conventional column
// (freq 5 right-aligned, mode 2, date 10, time 4, call 13, rst 3, exch 6, call 13,
// rst 3, exch 6, one blank between columns). False with the reason in `error`.
bool ReadCabrilloQsoLine(const std::string& line, CabrilloQso& qso, std::string& error);

// ReadCabrilloLog()
// Splits `bytes` into CR LF lines and reads them: START-OF-LOG first, END-OF-LOG
// last and nothing after it, every other line "TAG: value" or a QSO line, no TAB.
CabrilloLog ReadCabrilloLog(const std::string& bytes);
