#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

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

TEST(ProfileText, FindsTrimmedValuesInTheFirstSectionAndKeyOfAName) {
  const std::string file =
      "top=before any header\r\n"
      "[ Settings ]\r\n"
      "  Name  =   Joe Bloggs   \r\n"
      "C=val ;x\r\n"
      "k4=a=b\r\n"
      "Empty=\r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "[settings]\r\n"
      "only2=yes\r\n"
      "[Other] ; x\r\n"
      "o=1\r\n";
  EXPECT_EQ(Read(file, "Settings", "Name"), "Joe Bloggs");
  // Names match without regard to case and to the caller's blanks.
  EXPECT_EQ(Read(file, "  SETTINGS  ", " name "), "Joe Bloggs");
  // A ';' or a second '=' after the first '=' is part of the value.
  EXPECT_EQ(Read(file, "Settings", "C"), "val ;x");
  EXPECT_EQ(Read(file, "Settings", "k4"), "a=b");
  // A present but empty key never takes the default.
  EXPECT_EQ(Read(file, "Settings", "Empty"), "");
  // First key of a name wins; a later section of the same name is never searched.
  EXPECT_EQ(Read(file, "Settings", "dup"), "first");
  EXPECT_EQ(Read(file, "Settings", "only2"), "<default>");
  // Lines before the first header belong to no section.
  EXPECT_EQ(Read(file, "Settings", "top"), "<default>");
  // Text after the closing bracket does not belong to the name.
  EXPECT_EQ(Read(file, "Other", "o"), "1");
  // An empty section or key name finds nothing.
  EXPECT_EQ(Read(file, "", "top"), "<default>");
  EXPECT_EQ(Read(file, "Settings", "  "), "<default>");
}

TEST(ProfileText, ReadsCommentsBareLinesAndLineEndsAsTheWin32ApiDoes) {
  // LF only, CR only and mixed line ends, blank lines and blanks of every kind.
  EXPECT_EQ(Read("[S]\na=1\nb=2\n", "S", "b"), "2");
  EXPECT_EQ(Read("[S]\ra=1\rb=2", "S", "b"), "2");
  EXPECT_EQ(Read("\r\n\r\n[S]\r\r\n\n\t\v\f\r\nb=2", "S", "b"), "2");
  EXPECT_EQ(Read("\t[S]\t\r\n\tb\t=\t2\t\r\n", "S", "b"), "2");
  // Only a line starting with ';' is a comment.
  EXPECT_EQ(Read("[S]\r\n;Name=x\r\n", "S", "Name"), "<default>");
  EXPECT_EQ(Read("[S]\r\n  ; Name=x\r\n", "S", ";Name"), "<default>");
  // A line without '=' is no key.
  EXPECT_EQ(Read("[S]\r\nName\r\n", "S", "Name"), "<default>");
  // A '[' line without ']' is an ordinary line of the current section.
  EXPECT_EQ(Read("[S]\r\n[T\r\nk=1\r\n", "S", "k"), "1");
  // The name runs to the last ']'.
  EXPECT_EQ(Read("[a]b]\r\nk=1\r\n", "a]b", "k"), "1");
  // A UTF-8 byte order mark is part of the first line, which is then no header.
  EXPECT_EQ(Read("\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k"), "<default>");
  // A UTF-16 file is not understood by this byte reader.
  EXPECT_EQ(Read(std::string("\xFF\xFE[\0S\0]\0", 8), "S", "k"), "<default>");
  // NUL and other control bytes are ordinary bytes.
  EXPECT_EQ(Read(std::string("\0\x1A\r\n[S]\r\nk=a\0b\r\n", 15), "S", "k"), std::string("a\0b", 3));
}

TEST(ProfileText, StripsOneOuterPairOfMatchingQuotes) {
  const std::string file =
      "[Q]\r\n"
      "a=\"quoted\"\r\n"
      "b='single'\r\n"
      "c=\" lead\"\r\n"
      "d=\"\"dbl\"\"\r\n"
      "e=\"a\" b\"\r\n"
      "f=\"open\r\n"
      "g=\"\r\n"
      "h=x\"y\"\r\n"
      "i=\"mixed'\r\n"
      "j=\"\"\r\n";
  EXPECT_EQ(Read(file, "Q", "a"), "quoted");
  EXPECT_EQ(Read(file, "Q", "b"), "single");
  EXPECT_EQ(Read(file, "Q", "c"), " lead");  // quoting keeps a leading blank
  EXPECT_EQ(Read(file, "Q", "d"), "\"dbl\"");
  EXPECT_EQ(Read(file, "Q", "e"), "a\" b");
  EXPECT_EQ(Read(file, "Q", "f"), "\"open");
  EXPECT_EQ(Read(file, "Q", "g"), "\"");
  EXPECT_EQ(Read(file, "Q", "h"), "x\"y\"");
  EXPECT_EQ(Read(file, "Q", "i"), "\"mixed'");
  EXPECT_EQ(Read(file, "Q", "j"), "");
}

TEST(ProfileText, CutsToTheBufferAndTrimsOnlyTheDefault) {
  const std::string file = "[S]\r\nName=Joe Bloggs\r\nLong=" + std::string(12000, 'x') + "\r\n";
  // At most bufferSize-1 characters; the cut text is not trimmed again.
  EXPECT_EQ(Read(file, "S", "Long"), std::string(9999, 'x'));
  EXPECT_EQ(Read(file, "S", "Name", "", 5), "Joe ");
  EXPECT_EQ(Read(file, "S", "Name", "", 1), "");
  EXPECT_EQ(Read(file, "S", "Name", "", 0), "");
  // The default loses trailing spaces only, keeps a trailing TAB and its quotes.
  EXPECT_EQ(Read(file, "S", "Missing", "  def  "), "  def");
  EXPECT_EQ(Read(file, "S", "Missing", "def\t"), "def\t");
  EXPECT_EQ(Read(file, "S", "Missing", "\"def\""), "\"def\"");
  EXPECT_EQ(Read(file, "S", "Missing", "    "), "");
  EXPECT_EQ(Read(file, "S", "Missing", "default", 4), "def");
  EXPECT_EQ(Read("", "S", "Name", "default"), "default");
}

TEST(ProfileText, ChangesOnlyTheValueOfAnExistingKey) {
  const std::string file =
      "; settings of two plug-ins\n"
      "[Other]\r\n"
      "Name=keep\r\n"
      "\r\n"
      "[settings]\n"
      "  Name = Old Value \n"
      "Call=OLD\r"
      "Empty=\r\n";
  // The key keeps its spelling, blanks and line end; nothing else moves.
  EXPECT_EQ(Write(file, "Settings", "NAME", "Jim"),
            "; settings of two plug-ins\n[Other]\r\nName=keep\r\n\r\n"
            "[settings]\n  Name = Jim \nCall=OLD\rEmpty=\r\n");
  EXPECT_EQ(Write(file, "settings", "call", "NEW"),
            "; settings of two plug-ins\n[Other]\r\nName=keep\r\n\r\n"
            "[settings]\n  Name = Old Value \nCall=NEW\rEmpty=\r\n");
  EXPECT_EQ(Write(file, "settings", "Empty", "now"),
            "; settings of two plug-ins\n[Other]\r\nName=keep\r\n\r\n"
            "[settings]\n  Name = Old Value \nCall=OLD\rEmpty=now\r\n");
  // Writing the stored value, or an empty one over an empty one, changes nothing.
  EXPECT_EQ(Write(file, "settings", "Name", "Old Value"), file);
  EXPECT_EQ(Write(file, "settings", "Empty", ""), file);
  // A value with its own outer blanks replaces the old blanks, so a rewrite is stable.
  const std::string blanks = Write("[S]\r\nk = v \r\n", "S", "k", " x ");
  EXPECT_EQ(blanks, "[S]\r\nk = x \r\n");
  EXPECT_EQ(Write(blanks, "S", "k", " x "), blanks);
  // Bytes 0x80-0xFF go in and come out unchanged.
  std::string high;
  for (int c = 0x80; c <= 0xFF; ++c) high.push_back(static_cast<char>(c));
  EXPECT_EQ(Read(Write(file, "settings", "Call", high), "settings", "Call"), high);
}

TEST(ProfileText, AddsAMissingKeyAfterTheLastNonBlankLineOfItsSection) {
  const std::string file =
      "[A]\r\n"
      "a=1\r\n"
      "; note\r\n"
      "\r\n"
      "\r\n"
      "[B]\n"
      "[A]\r\n"
      "later=1\r\n";
  EXPECT_EQ(Write(file, "a", "New", "v"),
            "[A]\r\na=1\r\n; note\r\nNew=v\r\n\r\n\r\n[B]\n[A]\r\nlater=1\r\n");
  // An empty section: right after its header.
  EXPECT_EQ(Write(file, "B", "k", ""),
            "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\nk=\r\n[A]\r\nlater=1\r\n");
  // A last line without a break gets one first.
  EXPECT_EQ(Write("[A]\r\na=1", "A", "b", "2"), "[A]\r\na=1\r\nb=2\r\n");
  EXPECT_EQ(Write("[A]", "A", "b", "2"), "[A]\r\nb=2\r\n");
  // Blank lines at the end of the file stay after the new key.
  EXPECT_EQ(Write("[A]\na=1\n\n \n", "A", "b", "2"), "[A]\na=1\nb=2\r\n\n \n");
  // Only a key line of that name counts as present.
  EXPECT_EQ(Write("[A]\r\n;b=1\r\nb\r\n", "A", "b", "2"), "[A]\r\n;b=1\r\nb\r\nb=2\r\n");
}

TEST(ProfileText, AppendsAMissingSectionAndCreatesAMissingFile) {
  EXPECT_EQ(Write("", " S ", " K ", "V"), "[S]\r\nK=V\r\n");
  EXPECT_EQ(Write("", "S", "K", ""), "[S]\r\nK=\r\n");
  EXPECT_EQ(Write("[A]\r\na=1\r\n", "S", "K", "V"), "[A]\r\na=1\r\n[S]\r\nK=V\r\n");
  EXPECT_EQ(Write("[A]\na=1\n\n", "S", "K", "V"), "[A]\na=1\n\n[S]\r\nK=V\r\n");
  // A file without a final line break gets one first.
  EXPECT_EQ(Write("[A]\r\na=1", "S", "K", "V"), "[A]\r\na=1\r\n[S]\r\nK=V\r\n");
  // Keys before the first header are not in any section.
  EXPECT_EQ(Write("K=top\r\n", "S", "K", "V"), "K=top\r\n[S]\r\nK=V\r\n");
  // Only the first section of a name is edited, even when a later one has the key.
  EXPECT_EQ(Write("[S]\r\n[s]\r\nK=old\r\n", "S", "K", "V"), "[S]\r\nK=V\r\n[s]\r\nK=old\r\n");
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
