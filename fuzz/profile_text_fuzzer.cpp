// Fuzzes the profile (INI) rules on bytes: a read of any file, section, key and
// buffer size, and a write that must read back as the value written, leave every
// other entry's value as it was, and change nothing when repeated.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_check.h"
#include "platform/profile_text.h"
#include "text/ascii_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using platform::FindProfileValue;
  FuzzedDataProvider input(data, size);
  const std::size_t bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(256);
  const std::string defaultValue = input.ConsumeRandomLengthString(64);
  const std::string otherSection = input.ConsumeRandomLengthString(64);
  const std::string otherKey = input.ConsumeRandomLengthString(64);
  const std::string file = input.ConsumeRemainingBytesAsString();

  // Reading: a value lies within one line and the result fits the buffer.
  const std::optional<std::string> found = FindProfileValue(file, section, key);
  if (found) FUZZ_REQUIRE(found->find_first_of("\r\n") == std::string::npos);
  const std::string read =
      platform::ProfileStringFromBytes(file, section, key, defaultValue, bufferSize);
  FUZZ_REQUIRE(bufferSize == 0 ? read.empty() : read.size() < bufferSize);

  // Writing: refused only for what is not writable and for a UTF-16 file.
  const std::optional<std::string> written =
      platform::ProfileBytesWithValue(file, section, key, value);
  const bool utf16 = file.size() >= 2 && file[0] == '\xFF' && file[1] == '\xFE';
  FUZZ_REQUIRE(written.has_value() == (platform::IsWritableProfileEntry(section, key, value) && !utf16));
  if (!written) return 0;

  // The written key reads as it would from a file holding only that key.
  FUZZ_REQUIRE(FindProfileValue(*written, section, key) ==
               FindProfileValue("[S]\r\nk=" + value + "\r\n", "S", "k"));
  // Every other entry keeps its value (names compare as the rules do; a CR or LF at
  // the edge of the other name, trimmed here only, merely skips the check).
  auto same = [](std::string_view a, std::string_view b) {
    return text::EqualsIgnoringCase(text::TrimBlanks(a), text::TrimBlanks(b));
  };
  if (!same(otherSection, section) || !same(otherKey, key)) {
    FUZZ_REQUIRE(FindProfileValue(file, otherSection, otherKey) ==
                 FindProfileValue(*written, otherSection, otherKey));
  }
  // Writing the same value again changes nothing.
  const std::optional<std::string> again =
      platform::ProfileBytesWithValue(*written, section, key, value);
  FUZZ_REQUIRE(again.has_value() && *again == *written);
  return 0;
}
