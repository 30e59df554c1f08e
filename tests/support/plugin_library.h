// A test fixture holding the built plug-in, loaded by path from beside the test
// program as the host loads it. The test target defines STATS_LIBRARY_NAME.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/shared_library.h"

namespace testing_support {

class PluginLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto path =
        std::filesystem::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME;
    std::string error;
    library_ = platform::OpenSharedLibrary(path.string(), error);
    ASSERT_NE(library_, nullptr) << path.string() << ": " << error;
  }
  static void TearDownTestSuite() {
    platform::CloseSharedLibrary(library_);
    library_ = nullptr;
  }

  // The export `name` as a function of type Fn; null when there is none.
  template <typename Fn>
  static Fn Find(const char* name) {
    return reinterpret_cast<Fn>(platform::FindSharedLibrarySymbol(library_, name));
  }

  static inline void* library_ = nullptr;
};

}  // namespace testing_support
