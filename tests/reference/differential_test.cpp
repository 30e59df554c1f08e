// Holds the plug-in to the reference model: seeded random sequences of host calls
// go through both, and every answer, message box and file must be the same.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/reference/differential_driver.h"

namespace {

TEST(DifferentialTest, RandomSequencesGiveTheSameAnswersAndFiles) {
  // ZELTA_DIFFERENTIAL_STEPS=200000 makes a long run, on demand.
  const char* steps = std::getenv("ZELTA_DIFFERENTIAL_STEPS");
  const int count = steps ? std::atoi(steps) : 3000;
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    stats::reference::Differential both(
        std::filesystem::temp_directory_path() / ("zelta-differential-" + std::to_string(std::random_device()())),
        {[&random](unsigned n) { return static_cast<unsigned>(random() % n); }});
    for (int step = 0; step < count; ++step) ASSERT_EQ(both.Step(), "");
    ASSERT_EQ(both.SameFiles("at the end"), "");
  }
}

}  // namespace
