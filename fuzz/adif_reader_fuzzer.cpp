// Fuzzes the stand-in host's ADIF reader: any bytes give either a log whose QSOs
// are complete or the documented refusal, never a crash or another exception.
// The reader that recognises the format by content reads the same bytes too.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/log_fuzz_checks.h"
#include "host/adif_reader.h"
#include "host/log_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const zelta::QsoLog log = zelta::ReadAdifLog(bytes);
    FUZZ_REQUIRE(log.format == zelta::LogFormat::Adif);
    fuzz::CheckLog(log, size);
  } catch (const zelta::LogRefused& refused) {
    fuzz::CheckPosition(refused.Position(), size);
  }
  try {
    fuzz::CheckLog(zelta::ReadLog(bytes), size);
  } catch (const zelta::LogRefused& refused) {
    fuzz::CheckPosition(refused.Position(), size);
  }
  return 0;
}
