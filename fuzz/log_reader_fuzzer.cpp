// Fuzzes the stand-in host's ADIF and Cabrillo readers and the one that recognises
// the format (and UTF-16) by content: any bytes give a log whose QSOs are complete and
// in log order, every position inside the file, never a crash or an exception (the
// reader by content may refuse the bytes as documented). Exchanges are not checked:
// the plug-in judges them as the log has them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "logs/adif_reader.h"
#include "logs/cabrillo_reader.h"
#include "logs/log_reader.h"

namespace {

void CheckPosition(const logs::LogPosition& position, std::size_t fileSize) {
  FUZZ_REQUIRE(position.offset <= fileSize);
  FUZZ_REQUIRE(position.line >= 1 && position.line <= position.offset + 1);
}

void CheckLog(const logs::QsoLog& log, std::size_t fileSize) {
  std::size_t previous = 0;
  for (const logs::LogQso& qso : log.qsos) {
    CheckPosition(qso.position, fileSize);
    FUZZ_REQUIRE(qso.position.offset >= previous);
    previous = qso.position.offset;
    FUZZ_REQUIRE(!qso.call.empty() && !qso.band.empty() && !qso.mode.empty());
    const platform::CalendarTime& t = qso.time;
    FUZZ_REQUIRE(t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 &&
                 t.day >= 1 && t.day <= 31);
    FUZZ_REQUIRE(t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
                 t.second >= 0 && t.second < 60);
  }
  for (const auto* notes : {&log.skipped, &log.warnings}) {
    for (const logs::LogNote& note : *notes) {
      CheckPosition(note.position, fileSize);
      FUZZ_REQUIRE(!note.text.empty() && note.count >= 1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const logs::QsoLog adif = logs::ReadAdifLog(bytes);
  FUZZ_REQUIRE(adif.format == logs::LogFormat::kAdif);
  CheckLog(adif, size);
  const logs::QsoLog cabrillo = logs::ReadCabrilloLog(bytes);
  FUZZ_REQUIRE(cabrillo.format == logs::LogFormat::kCabrillo);
  CheckLog(cabrillo, size);
  try {
    CheckLog(logs::ReadLog(bytes), size);
  } catch (const logs::LogRefused& refused) {
    CheckPosition(refused.Position(), size);
  }
  return 0;
}
