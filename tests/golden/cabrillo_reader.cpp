#include "tests/golden/cabrillo_reader.h"

#include <cctype>
#include <sstream>

namespace {

struct Column {
  std::size_t start;  // 0-based position of the column's first character
  std::size_t width;
  bool rightAligned;
};

// The conventional layout: "QSO: " then the ten columns, one blank between them.
constexpr Column kColumns[10] = {{5, 5, true},   {11, 2, false}, {14, 10, false},
                                 {25, 4, false}, {30, 13, false}, {44, 3, false},
                                 {48, 6, false}, {55, 13, false}, {69, 3, false},
                                 {73, 6, false}};

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text) {
    if (!std::isdigit(c)) return false;
  }
  return true;
}

}  // namespace

bool ReadCabrilloQsoLine(const std::string& line, CabrilloQso& qso, std::string& error) {
  if (line.rfind("QSO: ", 0) != 0) {
    error = "does not start with \"QSO: \"";
    return false;
  }
  std::istringstream split(line.substr(5));
  std::vector<std::string> values;
  for (std::string value; split >> value;) values.push_back(value);
  if (values.size() != 10) {
    error = "holds " + std::to_string(values.size()) + " values instead of 10";
    return false;
  }
  for (std::size_t i = 0; i < 10; ++i) {
    const Column& column = kColumns[i];
    const bool last = i == 9;
    // The last column may be left unpadded.
    const std::size_t end = column.start + column.width;
    if (line.size() < (last ? column.start + values[i].size() : end)) {
      error = "ends before column " + std::to_string(i + 1);
      return false;
    }
    std::string cell = line.substr(column.start, column.width);
    const std::size_t first = cell.find_first_not_of(' ');
    const std::size_t lastChar = cell.find_last_not_of(' ');
    const std::string trimmed =
        first == std::string::npos ? std::string() : cell.substr(first, lastChar - first + 1);
    const bool aligned = column.rightAligned ? lastChar == cell.size() - 1 : first == 0;
    if (trimmed != values[i] || !aligned) {
      error = "value " + std::to_string(i + 1) + " \"" + values[i] + "\" is not in its column";
      return false;
    }
    if (!last && line[end] != ' ') {
      error = "no blank after column " + std::to_string(i + 1);
      return false;
    }
  }
  if (line.size() > kColumns[9].start + kColumns[9].width) {
    error = "text after the last column";
    return false;
  }
  qso = {values[0], values[1], values[2], values[3], values[4],
         values[5], values[6], values[7], values[8], values[9]};
  if (!AllDigits(qso.freq)) error = "frequency is not a number";
  if (qso.date.size() != 10 || qso.date[4] != '-' || qso.date[7] != '-') error = "bad date";
  if (qso.time.size() != 4 || !AllDigits(qso.time)) error = "bad time";
  return error.empty();
}

CabrilloLog ReadCabrilloLog(const std::string& bytes) {
  CabrilloLog log;
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", from);
    if (end == std::string::npos) {
      log.errors.push_back("last line has no CR LF");
      lines.push_back(bytes.substr(from));
      break;
    }
    lines.push_back(bytes.substr(from, end - from));
    from = end + 2;
  }
  if (lines.empty() || lines.front() != "START-OF-LOG: 3.0") {
    log.errors.push_back("line 1 is not START-OF-LOG: 3.0");
  }
  if (lines.empty() || lines.back() != "END-OF-LOG:") {
    log.errors.push_back("last line is not END-OF-LOG:");
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string where = "line " + std::to_string(i + 1) + ": ";
    if (line.find_first_of("\t\r\n") != std::string::npos) {
      log.errors.push_back(where + "holds a TAB, CR or LF");
    }
    if (line.rfind("QSO:", 0) == 0) {
      CabrilloQso qso;
      std::string error;
      if (ReadCabrilloQsoLine(line, qso, error)) {
        log.qsos.push_back(qso);
      } else {
        log.errors.push_back(where + error);
      }
      continue;
    }
    const std::size_t colon = line.find(": ");
    const bool endLine = line == "END-OF-LOG:";
    if (!endLine && (colon == std::string::npos || colon == 0)) {
      log.errors.push_back(where + "is not \"TAG: value\"");
      continue;
    }
    if (endLine) {
      if (i + 1 != lines.size()) log.errors.push_back(where + "END-OF-LOG before the end");
      continue;
    }
    log.tags.emplace_back(line.substr(0, colon), line.substr(colon + 2));
  }
  return log;
}
