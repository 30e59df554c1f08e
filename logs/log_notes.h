// What the log readers say about a log: one note per kind of problem, however
// often it occurs, and texts from the file made safe to print.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "logs/qso_log.h"

namespace logs {

// ShownText()
// `text` as it may be printed: control bytes, bytes that are not UTF-8 and the C1
// controls as \xNN, a backslash doubled, cut after `limit` bytes with "...".
std::string ShownText(std::string_view text, std::size_t limit = 40);

// NoteGroups
// Gathers the notes of one list by kind. The first note of a kind keeps its
// text; Finish() adds how many more there were and on which lines (the first few).
class NoteGroups {
 public:
  NoteGroups(std::vector<LogNote>& notes, const char* unit) : notes_(notes), unit_(unit) {}

  // Add()
  // One more of `kind` at `position`, standing for `count` records.
  void Add(const std::string& kind, LogPosition position, std::string text,
           std::size_t count = 1);

  // Finish()
  // Completes the texts; call once, after the last Add().
  void Finish();

 private:
  struct Group {
    std::size_t index;                 // in notes_
    std::size_t occurrences = 1;
    std::vector<std::size_t> lines;    // of later occurrences, the first few
  };
  std::vector<LogNote>& notes_;
  const char* unit_;                   // "record", "QSO line", "field"
  std::map<std::string, Group> groups_;
};

}  // namespace logs
