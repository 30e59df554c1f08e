// Properties that every log the stand-in host reads must have, whatever bytes it
// was read from: each QSO complete and in log order, every position inside the file.
// The exchange texts are not checked: the host passes them on as the log has them
// and the plug-in judges them.
#pragma once

#include <cstddef>

#include "fuzz/fuzz_check.h"
#include "host/qso_log.h"

namespace fuzz {

inline void CheckPosition(const zelta::LogPosition& position, std::size_t fileSize) {
  FUZZ_REQUIRE(position.offset <= fileSize);
  FUZZ_REQUIRE(position.line >= 1 && position.line <= position.offset + 1);
}

inline void CheckLog(const zelta::QsoLog& log, std::size_t fileSize) {
  std::size_t previous = 0;
  for (const zelta::LogQso& qso : log.qsos) {
    CheckPosition(qso.position, fileSize);
    FUZZ_REQUIRE(qso.position.offset >= previous);
    previous = qso.position.offset;
    FUZZ_REQUIRE(!qso.call.empty());
    FUZZ_REQUIRE(!qso.band.empty());
    FUZZ_REQUIRE(!qso.mode.empty());
    const platform::CalendarTime& t = qso.time;
    FUZZ_REQUIRE(t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 &&
                 t.day >= 1 && t.day <= 31);
    FUZZ_REQUIRE(t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
                 t.second >= 0 && t.second < 60);
  }
  for (const zelta::LogNote& note : log.skipped) {
    CheckPosition(note.position, fileSize);
    FUZZ_REQUIRE(!note.text.empty() && note.count >= 1);
  }
  for (const zelta::LogNote& note : log.warnings) {
    CheckPosition(note.position, fileSize);
    FUZZ_REQUIRE(!note.text.empty() && note.count >= 1);
  }
}

}  // namespace fuzz
