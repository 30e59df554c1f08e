// Fuzzes sequences of host calls into the plug-in's core and the reference model
// at once (the differential test's driver): its choices come from the end of the
// input, its raw texts, dates and region lists from the front. Any answer, message
// box or file that differs, or a crash, keeps the input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_check.h"
#include "tests/reference/differential_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One folder a process (fuzzing jobs may run side by side), removed after each input.
  static const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("zelta-fuzz-" + std::to_string(getpid()));
  FuzzedDataProvider input(data, size);
  stats::reference::Differential both(
      scratch, {[&input](unsigned n) { return input.ConsumeIntegralInRange<unsigned>(0, n - 1); },
                [&input](std::size_t max) { return input.ConsumeRandomLengthString(max); }});
  auto require = [](const std::string& differs) {
    if (!differs.empty()) std::fprintf(stderr, "%s\n", differs.c_str());
    FUZZ_REQUIRE(differs.empty());
  };
  for (int step = 0; step < 400 && input.remaining_bytes() > 0; ++step) require(both.Step());
  require(both.SameFiles("at the end"));
  return 0;
}
