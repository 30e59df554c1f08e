// Fuzzes sequences of host calls into the plug-in's core and the reference model
// at once (the differential test's driver, its choices taken from the input): any
// answer, message box or file that differs, or a crash, keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_check.h"
#include "tests/reference/differential_driver.h"

namespace fs = std::filesystem;

namespace {

fs::path g_scratch;

void RemoveScratch() {
  std::error_code ignored;
  fs::current_path(fs::temp_directory_path(), ignored);
  fs::remove_all(g_scratch, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "zelta-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  g_scratch = pattern;
  std::atexit(RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  stats::reference::Differential both(g_scratch / "run", [&input](unsigned n) {
    return input.ConsumeIntegralInRange<unsigned>(0, n - 1);
  });
  for (int step = 0; step < 400 && input.remaining_bytes() > 0; ++step) {
    const std::string differs = both.Step();
    if (!differs.empty()) std::fprintf(stderr, "%s\n", differs.c_str());
    FUZZ_REQUIRE(differs.empty());
  }
  const std::string differs = both.SameFiles("at the end");
  if (!differs.empty()) std::fprintf(stderr, "%s\n", differs.c_str());
  FUZZ_REQUIRE(differs.empty());
  return 0;
}
