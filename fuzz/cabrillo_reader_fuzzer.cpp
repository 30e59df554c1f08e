// Fuzzes the stand-in host's Cabrillo reader: any bytes give a log whose QSOs are
// complete, with every line that does not fit skipped, never a crash or an exception.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/log_fuzz_checks.h"
#include "host/cabrillo_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const zelta::QsoLog log = zelta::ReadCabrilloLog(bytes);
  FUZZ_REQUIRE(log.format == zelta::LogFormat::kCabrillo);
  fuzz::CheckLog(log, size);
  return 0;
}
