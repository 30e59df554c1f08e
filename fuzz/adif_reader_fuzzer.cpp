// Fuzzes the stand-in host's ADIF reader: any bytes give a log whose QSOs are
// complete, with what could not be read noted, never a crash or an exception.
// The reader that recognises the format (and UTF-16) by content reads the same
// bytes too; it may refuse them only as documented.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/log_fuzz_checks.h"
#include "host/adif_reader.h"
#include "host/log_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const zelta::QsoLog log = zelta::ReadAdifLog(bytes);
  FUZZ_REQUIRE(log.format == zelta::LogFormat::kAdif);
  fuzz::CheckLog(log, size);
  try {
    fuzz::CheckLog(zelta::ReadLog(bytes), size);
  } catch (const zelta::LogRefused& refused) {
    fuzz::CheckPosition(refused.Position(), size);
  }
  return 0;
}
