// The rules on bytes for the read and write cases run natively through profile_test,
// where the POSIX side is these rules on the file's bytes; here what they refuse.
#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

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
