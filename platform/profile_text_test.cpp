#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/profile_read_cases.h"

namespace platform {
namespace {

std::string Read(std::string_view file, std::string_view section, std::string_view key,
                 std::string_view defaultValue = "<default>", std::size_t bufferSize = 10000) {
  return ProfileStringFromBytes(file, section, key, defaultValue, bufferSize);
}

std::string Write(std::string_view file, std::string_view section, std::string_view key,
                  std::string_view value) {
  const std::optional<std::string> bytes = ProfileBytesWithValue(file, section, key, value);
  EXPECT_TRUE(bytes.has_value()) << "write of " << key << " refused";
  return bytes.value_or("<refused>");
}

TEST(ProfileText, ReadsAsTheWin32ApiDoes) {
  for (const auto& c : testing_support::ProfileReadCases()) {
    EXPECT_EQ(Read(c.file, c.section, c.key, c.defaultValue, c.bufferSize), c.expected)
        << "[" << c.section << "] " << c.key << " size " << c.bufferSize << " in '" << c.file
        << "'";
  }
}

TEST(ProfileText, WritesAKeyWhereTheWin32ApiDoesOnWindows) {
  const std::string two = "; two plug-ins\n[Other]\r\nName=keep\r\n\r\n"
                          "[settings]\n  Name = Old Value \nCall=OLD\rEmpty=\r\n";
  const std::string head = "; two plug-ins\n[Other]\r\nName=keep\r\n\r\n[settings]\n";
  const std::string sections = "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\n[A]\r\nlater=1\r\n";
  const struct {
    std::string file;
    const char* section;
    const char* key;
    std::string value;
    std::string expected;
  } cases[] = {
      // An existing key keeps its spelling, blanks and line end; nothing else moves.
      {two, "Settings", "NAME", "Jim", head + "  Name = Jim \nCall=OLD\rEmpty=\r\n"},
      {two, "settings", "call", "NEW", head + "  Name = Old Value \nCall=NEW\rEmpty=\r\n"},
      {two, "settings", "Empty", "now", head + "  Name = Old Value \nCall=OLD\rEmpty=now\r\n"},
      // The stored value again, or an empty one over an empty one, changes nothing.
      {two, "settings", "Name", "Old Value", two},
      {two, "settings", "Empty", "", two},
      // A value with its own outer blanks replaces the old blanks.
      {"[S]\r\nk = v \r\n", "S", "k", " x ", "[S]\r\nk = x \r\n"},
      // A missing key goes after the last non-blank line of the first section of its name.
      {sections, "a", "New", "v", "[A]\r\na=1\r\n; note\r\nNew=v\r\n\r\n\r\n[B]\n[A]\r\nlater=1\r\n"},
      {sections, "B", "k", "", "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\nk=\r\n[A]\r\nlater=1\r\n"},
      {"[A]\na=1\n\n \n", "A", "b", "2", "[A]\na=1\nb=2\r\n\n \n"},
      {"[S]\r\n[s]\r\nK=old\r\n", "S", "K", "V", "[S]\r\nK=V\r\n[s]\r\nK=old\r\n"},
      // Only a key line of that name counts as present.
      {"[A]\r\n;b=1\r\nb\r\n", "A", "b", "2", "[A]\r\n;b=1\r\nb\r\nb=2\r\n"},
      // A last line without a break gets one first.
      {"[A]\r\na=1", "A", "b", "2", "[A]\r\na=1\r\nb=2\r\n"},
      {"[A]", "A", "b", "2", "[A]\r\nb=2\r\n"},
      {"[A]\r\na=1", "S", "K", "V", "[A]\r\na=1\r\n[S]\r\nK=V\r\n"},
      // A missing section goes at the end; a missing file is made.
      {"", " S ", " K ", "V", "[S]\r\nK=V\r\n"},
      {"", "S", "K", "", "[S]\r\nK=\r\n"},
      {"[A]\na=1\n\n", "S", "K", "V", "[A]\na=1\n\n[S]\r\nK=V\r\n"},
      {"K=top\r\n", "S", "K", "V", "K=top\r\n[S]\r\nK=V\r\n"},  // no section before the first
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Write(c.file, c.section, c.key, c.value), c.expected)
        << "[" << c.section << "] " << c.key << "=" << c.value << " in '" << c.file << "'";
  }
  // Bytes 0x80-0xFF go in and come out unchanged.
  std::string high;
  for (int c = 0x80; c <= 0xFF; ++c) high.push_back(static_cast<char>(c));
  EXPECT_EQ(Read(Write(two, "settings", "Call", high), "settings", "Call"), high);
}

TEST(ProfileText, RefusesEntriesThatWouldNotReadBackAsOneValue) {
  const std::string file = "[S]\r\nK=old\r\n";
  for (const auto& [section, key, value] : {
           std::tuple<std::string, std::string, std::string>{"S", "K", "line1\r\nline2=x"},
           {"S", "K", "a\nb"},
           {"S", "K", "a\rb"},
           {"S", "K", std::string("a\0b", 3)},
           {"S", "K=1", "v"},
           {"S", ";K", "v"},
           {"S", "[K]", "v"},
           {"S", "  ", "v"},
           {"", "K", "v"},
           {"S\r\nT", "K", "v"},
       }) {
    EXPECT_FALSE(IsWritableProfileEntry(section, key, value)) << key << "=" << value;
    EXPECT_FALSE(ProfileBytesWithValue(file, section, key, value)) << key << "=" << value;
  }
  EXPECT_FALSE(ProfileBytesWithValue(std::string("\xFF\xFE[\0S\0]\0", 8), "S", "K", "v"))
      << "a UTF-16 file must not be edited as bytes";
  // Blanks, quotes, ';' and '=' in a value are allowed: they are the caller's business.
  EXPECT_TRUE(IsWritableProfileEntry("S", "K", " \"a=b;c\" "));
}

TEST(ProfileText, WritesChangeOnlyTheWrittenKeyInArbitraryFiles) {
  // Files, names and values drawn from the pieces that matter to the rules; a
  // fixed seed keeps every run the same.
  const std::vector<std::string> pieces = {
      "[S]", "[s ]", "[T]", "[S", "]", "k", "K", "j", "=", "=v", " ", "\t", ";", "\"", "'",
      "\r", "\n", "\r\n", "\xE9", "x"};
  const std::vector<std::string> names = {"S", "T", "U"};
  const std::vector<std::string> keys = {"k", "j", "m"};
  const std::vector<std::string> values = {"", "v", "\"q\"", " lead", "a;b=c", "\xFF\x80", "v "};
  std::mt19937 random(20240601);
  auto pick = [&random](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  for (int round = 0; round < 3000; ++round) {
    std::string file;
    const int length = std::uniform_int_distribution<int>(0, 24)(random);
    for (int i = 0; i < length; ++i) file += pick(pieces);
    const std::string section = pick(names);
    const std::string key = pick(keys);
    const std::string value = pick(values);
    const std::string written = Write(file, section, key, value);

    // The written key reads as it would from a file holding only that key...
    EXPECT_EQ(FindProfileValue(written, section, key),
              FindProfileValue("[S]\r\nk=" + value + "\r\n", "S", "k"))
        << "file '" << file << "' [" << section << "] " << key << "=" << value;
    // ...every other key reads as before...
    for (const std::string& otherSection : names) {
      for (const std::string& otherKey : keys) {
        if (otherSection == section && otherKey == key) continue;
        EXPECT_EQ(FindProfileValue(written, otherSection, otherKey),
                  FindProfileValue(file, otherSection, otherKey))
            << "file '" << file << "' [" << section << "] " << key << "=" << value
            << " changed [" << otherSection << "] " << otherKey;
      }
    }
    // ...and writing the same value again changes nothing.
    EXPECT_EQ(Write(written, section, key, value), written) << "file '" << file << "'";
  }
}

}  // namespace
}  // namespace platform
