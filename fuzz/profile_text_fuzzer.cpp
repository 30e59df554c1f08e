// Fuzzes the profile (INI) rules on bytes: a read of any file, section, key and
// buffer size, and a write that must read back as the value written, leave every
// other entry's value as it was, and change nothing when repeated.
//
// Input: section, key, value, default, another section and key (each a
// FuzzedDataProvider string), then the file's bytes; the buffer size comes from
// the input's last bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_check.h"
#include "platform/profile_text.h"

namespace {

constexpr std::string_view kBlanks = " \t\v\f";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// What a read gives back of a value written verbatim: blanks trimmed, one outer
// pair of matching quotes removed.
std::string ReadBackForm(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool IsUtf16(std::string_view bytes) {
  return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
  const std::optional<std::string> found = platform::FindProfileValue(file, section, key);
  if (found) FUZZ_REQUIRE(found->find_first_of("\r\n") == std::string::npos);
  const std::string read =
      platform::ProfileStringFromBytes(file, section, key, defaultValue, bufferSize);
  FUZZ_REQUIRE(bufferSize == 0 ? read.empty() : read.size() < bufferSize);
  const std::string expected =
      found ? *found : platform::ProfileDefaultString(defaultValue, bufferSize);
  FUZZ_REQUIRE(read == expected.substr(0, bufferSize == 0 ? 0 : bufferSize - 1));

  // Writing.
  const std::optional<std::string> written =
      platform::ProfileBytesWithValue(file, section, key, value);
  const bool writable = platform::IsWritableProfileEntry(section, key, value) && !IsUtf16(file);
  FUZZ_REQUIRE(written.has_value() == writable);
  if (!written) return 0;

  // A written key reads back.
  const std::optional<std::string> readBack = platform::FindProfileValue(*written, section, key);
  FUZZ_REQUIRE(readBack.has_value());
  FUZZ_REQUIRE(*readBack == ReadBackForm(value));

  // Every other entry keeps its value.
  if (!(SameName(otherSection, section) && SameName(otherKey, key))) {
    FUZZ_REQUIRE(platform::FindProfileValue(file, otherSection, otherKey) ==
                 platform::FindProfileValue(*written, otherSection, otherKey));
  }

  // Writing the same value again changes nothing.
  const std::optional<std::string> again =
      platform::ProfileBytesWithValue(*written, section, key, value);
  FUZZ_REQUIRE(again.has_value() && *again == *written);
  return 0;
}
