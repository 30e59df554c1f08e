#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/profile_cases.h"

namespace platform {
namespace {

TEST(ProfileText, ReadsAsTheWin32ApiDoes) {
  for (const auto& c : testing_support::ProfileReadCases()) {
    EXPECT_EQ(ProfileStringFromBytes(c.file, c.section, c.key, c.defaultValue, c.bufferSize),
              c.expected)
        << "[" << c.section << "] " << c.key << " size " << c.bufferSize << " in '" << c.file
        << "'";
  }
}

TEST(ProfileText, WritesAKeyWhereTheWin32ApiDoesOnWindows) {
  for (const auto& c : testing_support::ProfileWriteCases()) {
    EXPECT_EQ(ProfileBytesWithValue(c.file, c.section, c.key, c.value).value_or("<refused>"),
              c.expected)
        << "[" << c.section << "] " << c.key << "=" << c.value << " in '" << c.file << "'";
  }
}

TEST(ProfileText, RefusesEntriesThatWouldNotReadBackAsOneValue) {
  const char* const entries[][3] = {
      {"S", "K", "line1\r\nline2=x"}, {"S", "K", "a\nb"}, {"S", "K", "a\rb"}, {"S", "K=1", "v"},
      {"S", ";K", "v"}, {"S", "[K]", "v"}, {"S", "  ", "v"}, {"", "K", "v"}, {"S\r\nT", "K", "v"}};
  for (const auto& [section, key, value] : entries) {
    EXPECT_FALSE(ProfileBytesWithValue("[S]\r\nK=old\r\n", section, key, value)) << key << value;
  }
  EXPECT_FALSE(IsWritableProfileEntry("S", "K", std::string("a\0b", 3)));
  EXPECT_FALSE(ProfileBytesWithValue(std::string("\xFF\xFE[\0S\0]\0", 8), "S", "K", "v"))
      << "a UTF-16 file must not be edited as bytes";
}

}  // namespace
}  // namespace platform
