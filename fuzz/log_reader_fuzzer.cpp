// Fuzzes the stand-in host's ADIF and Cabrillo readers and the one that recognises
// the format (and UTF-16) by content: any bytes give a log whose QSOs are complete and
// in log order, every position inside the file, never a crash or an exception (the
// reader by content may refuse the bytes as documented). Exchanges are not checked:
// the plug-in judges them as the log has them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "host/adif_reader.h"
#include "host/cabrillo_reader.h"
#include "host/log_reader.h"

namespace {

void CheckPosition(const zelta::LogPosition& position, std::size_t fileSize) {
  FUZZ_REQUIRE(position.offset <= fileSize);
  FUZZ_REQUIRE(position.line >= 1 && position.line <= position.offset + 1);
}

void CheckLog(const zelta::QsoLog& log, std::size_t fileSize) {
  std::size_t previous = 0;
  for (const zelta::LogQso& qso : log.qsos) {
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
    for (const zelta::LogNote& note : *notes) {
      CheckPosition(note.position, fileSize);
      FUZZ_REQUIRE(!note.text.empty() && note.count >= 1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const zelta::QsoLog adif = zelta::ReadAdifLog(bytes);
  FUZZ_REQUIRE(adif.format == zelta::LogFormat::kAdif);
  CheckLog(adif, size);
  const zelta::QsoLog cabrillo = zelta::ReadCabrilloLog(bytes);
  FUZZ_REQUIRE(cabrillo.format == zelta::LogFormat::kCabrillo);
  CheckLog(cabrillo, size);
  try {
    CheckLog(zelta::ReadLog(bytes), size);
  } catch (const zelta::LogRefused& refused) {
    CheckPosition(refused.Position(), size);
  }
  return 0;
}
