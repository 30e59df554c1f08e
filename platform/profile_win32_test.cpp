// The portable writer against the real WritePrivateProfileStringA: the same
// files written both ways and read back. (Reads are compared in profile_test,
// which runs the shared cases through the real API here.)
//
// Under Wine the real API differs from Windows in a few known ways, so those
// cases are left out here and covered by profile_text_test against Windows'
// behaviour instead:
// - Wine rewrites the whole file on every write (blank lines and comments
//   dropped, "k = v" respaced, LF turned into CR LF) where Windows edits in
//   place, so written files are compared byte for byte only when they are
//   already in that rewritten form; otherwise every key is read back from both.
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

// What the real API returns, checking its length against the buffer.
std::string ApiRead(const std::string& file, const char* section, const char* key,
                    const char* defaultValue, DWORD bufferSize) {
  std::vector<char> buffer(bufferSize + 1, '#');
  const DWORD length = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                                                bufferSize, file.c_str());
  EXPECT_LT(length, bufferSize) << section << "/" << key;
  return std::string(buffer.data(), length);
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
