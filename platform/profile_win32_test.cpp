// The portable profile rules against the real GetPrivateProfileStringA and
// WritePrivateProfileStringA: the same files read and written both ways.
//
// Under Wine the real API differs from Windows in a few known ways, so those
// cases are left out here and covered by profile_text_test against Windows'
// behaviour instead:
// - Wine rewrites the whole file on every write (blank lines and comments
//   dropped, "k = v" respaced, LF turned into CR LF) where Windows edits in
//   place, so written files are compared byte for byte only when they are
//   already in that rewritten form; otherwise every key is read back from both.
// - Wine honours a UTF-8 byte order mark, Windows does not.
// - Wine trims 0x1A at line ends, strips quotes from the default, and cuts a
//   quoted value that does not fit the buffer its own way.
// - Wine takes a line without '=' as a key without a value, which hides a later
//   key of that name; Windows does not count it as a key at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile_text.h"
#include "tests/support/test_support.h"

namespace platform {
namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

struct SampleFile {
  std::string bytes;
  bool quotedValues;  // read into a large buffer only
};

// Files with no byte order mark, no 0x1A, no NUL: where Wine reads as Windows does.
const std::vector<SampleFile>& SampleFiles() {
  static const std::vector<SampleFile> files = {
      {      "top=before any header\r\n"
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
      "o=1\r\n", false},
      // LF only, CR only, blank lines, TABs and a last line without a break.
      {"\n\n[Settings]\n\tName\t=\tLF only\t\n\n[Other]\ro=CR only\rC=2", false},
      // Comments, bare lines, a '[' line without ']', quotes, high bytes.
      {"; comment\r\n"
      "[Settings]\r\n"
      ";Name=commented\r\n"
      "top\r\n"
      "[Other\r\n"
      "Name=\"quoted\"\r\n"
      "C=' lead'\r\n"
      "k4=\"\"dbl\"\"\r\n"
      "dup=\"a\" b\"\r\n"
      "Empty=\"open\r\n"
      "only2=x\"y\"\r\n"
      "o=\"\r\n"
      "[Other]\r\n"
      "Name=\xC0\xE1\xE2 \x80\x98\xFF\r\n"
      "o=\"\"\r\n", true},
      {"", false},
  };
  return files;
}

struct Probe {
  const char* section;
  const char* key;
};
constexpr Probe kProbes[] = {
    {"Settings", "Name"}, {"  SETTINGS ", " name "}, {"Settings", "C"},    {"Settings", "k4"},
    {"Settings", "Empty"}, {"Settings", "dup"},      {"Settings", "only2"}, {"Settings", "top"},
    {"Other", "o"},        {"Other", "Name"},         {"Other", "C"},        {"Missing", "Name"},
};

// What the real API returns, checking its length against the buffer.
std::string ApiRead(const std::string& file, const char* section, const char* key,
                    const char* defaultValue, DWORD bufferSize) {
  std::vector<char> buffer(bufferSize + 1, '#');
  const DWORD length = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                                                bufferSize, file.c_str());
  EXPECT_LT(length, bufferSize) << section << "/" << key;
  return std::string(buffer.data(), length);
}

TEST(ProfileWin32, PortableReaderReturnsWhatTheApiReturns) {
  ScopedWorkDir dir;
  int fileNumber = 0;
  for (const auto& [bytes, quotedValues] : SampleFiles()) {
    // A fresh name per file: the API caches files it has read.
    const std::string name = "r" + std::to_string(fileNumber++) + ".ini";
    WriteFileBytes(name, bytes);
    for (const Probe& probe : kProbes) {
      for (DWORD size : {10000u, 5u, 2u, 1u}) {
        if (quotedValues && size != 10000) continue;
        for (const char* defaultValue : {"dflt  ", "tab\t", ""}) {
          EXPECT_EQ(ProfileStringFromBytes(bytes, probe.section, probe.key, defaultValue, size),
                    ApiRead(".\\" + name, probe.section, probe.key, defaultValue, size))
              << "file " << name << " [" << probe.section << "] " << probe.key << " size " << size
              << " default '" << defaultValue << "'";
        }
      }
    }
  }
  // A missing file gives the default, as a missing key does.
  EXPECT_EQ(ProfileDefaultString("dflt  ", 10000), ApiRead(".\\none.ini", "S", "K", "dflt  ", 10000));
  // A 12000-character value comes back cut at 9999.
  const std::string longFile = "[S]\r\nK=" + std::string(12000, 'v') + "\r\n";
  WriteFileBytes("long.ini", longFile);
  EXPECT_EQ(ProfileStringFromBytes(longFile, "S", "K", "", 10000),
            ApiRead(".\\long.ini", "S", "K", "", 10000));
}

struct WriteCase {
  std::string before;  // "<missing>" for no file
  const char* section;
  const char* key;
  std::string value;
  // Whether Wine's rewritten file is what Windows writes in place: true for files
  // already in the form Wine writes, and when nothing needs to change.
  bool compareBytes;
};

TEST(ProfileWin32, PortableWriterProducesWhatTheApiReadsAlike) {
  const std::string canonical = "[Other]\r\nName=keep\r\n[Settings]\r\nName=Joe\r\nCall=UA1ABC\r\n";
  const std::string handWritten =
      "; two plug-ins\n[Other]\nName = keep \n\n[settings]\n  Name = Joe \nCall=UA1ABC\n\n";
  std::string high;
  for (int c = 0x80; c <= 0xFF; ++c) high.push_back(static_cast<char>(c));
  const std::vector<WriteCase> cases = {
      {"<missing>", "Settings", "Name", "Jim", true},
      {"<missing>", "Settings", "Name", "", true},
      {canonical, "settings", "NAME", "Jim", true},          // key keeps its spelling
      {canonical, "Settings", "Soapbox", "a<CR>b", true},    // new key ends its section
      {canonical, "Other", "Call", "X", true},               // ... before the next header
      {canonical, "New", "Key", "Value", true},              // new section at the end
      {canonical, "Settings", "Name", high, true},           // bytes 0x80-0xFF verbatim
      {canonical, "Settings", "Name", std::string(12000, 'z'), true},
      {canonical, "Settings", "Name", "Joe", true},          // same value: no change
      {handWritten, "Settings", "Name", "Joe", true},        // same value: no change
      {handWritten, "Settings", "NAME", "Jim", false},
      {handWritten, "Settings", "Soapbox", "x", false},
      {handWritten, "Other", "Name", "\"quoted\"", false},
      {handWritten, "New", "Key", "v;x=y", false},
      {handWritten, "Other", "Call", "X", false},            // before the blank line
      {"[Other]\r\nName=keep", "New", "Key", "v", false},  // no final line break
      {"[Other]\nName=keep", "Other", "Key", "v", false},
  };

  ScopedWorkDir dir;
  int caseNumber = 0;
  for (const WriteCase& c : cases) {
    const std::string number = std::to_string(caseNumber++);
    const std::string apiFile = "api" + number + ".ini";
    const std::string portableFile = "portable" + number + ".ini";
    const bool missing = c.before == "<missing>";
    if (!missing) WriteFileBytes(apiFile, c.before);
    const std::string before = missing ? std::string() : c.before;

    ASSERT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value.c_str(),
                                           (".\\" + apiFile).c_str()))
        << "case " << number;
    const std::optional<std::string> portable =
        ProfileBytesWithValue(before, c.section, c.key, c.value);
    ASSERT_TRUE(portable.has_value()) << "case " << number;
    WriteFileBytes(portableFile, *portable);
    const std::string apiBytes = ReadFileBytes(apiFile);
    if (c.compareBytes) EXPECT_EQ(*portable, apiBytes) << "case " << number;

    // Every key, read by the API from both files, and by the portable reader from
    // the API's file, has the same value.
    for (const char* section : {"Other", "Settings", "New", c.section}) {
      for (const char* key : {"Name", "Call", "Soapbox", "Key", c.key}) {
        const std::string expected = ApiRead(".\\" + apiFile, section, key, "<none>", 20000);
        EXPECT_EQ(ApiRead(".\\" + portableFile, section, key, "<none>", 20000), expected)
            << "case " << number << " [" << section << "] " << key;
        EXPECT_EQ(ProfileStringFromBytes(apiBytes, section, key, "<none>", 20000), expected)
            << "case " << number << " [" << section << "] " << key;
      }
    }
  }
}

}  // namespace
}  // namespace platform
