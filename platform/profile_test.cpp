// The profile layer through real files: what both sides, the Win32 API and the
// POSIX implementation, must do alike.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/profile_read_cases.h"
#include "tests/support/test_support.h"

namespace platform {
namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

TEST(Profile, ReadsFilesAsTheWin32ApiDoes) {
  ScopedWorkDir dir;
  int number = 0;
  for (const auto& c : testing_support::ProfileReadCases()) {
#ifdef _WIN32
    if (!c.wineAgrees) continue;
#endif
    // A fresh name per case: the API caches the files it has read.
    const std::string name = "r" + std::to_string(number++) + ".ini";
    WriteFileBytes(name, c.file);
    EXPECT_EQ(ReadProfileString(c.section, c.key, c.defaultValue, c.bufferSize, ".\\" + name),
              c.expected)
        << "[" << c.section << "] " << c.key << " size " << c.bufferSize << " in '" << c.file
        << "'";
  }
}

TEST(Profile, CreatesAMissingFileInAnExistingFolderOnly) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Plugins");
  EXPECT_TRUE(WriteProfileString("QOLEB", "Call", "UA1ABC", "Plugins\\QOLEB.ini"));
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[QOLEB]\r\nCall=UA1ABC\r\n");
  EXPECT_EQ(ReadProfileString("qoleb", "CALL", "", 10000, "Plugins\\QOLEB.ini"), "UA1ABC");

  // A missing folder is not created, and the write reports failure.
  EXPECT_FALSE(WriteProfileString("QOLEB", "Call", "UA1ABC", "Missing\\QOLEB.ini"));
  EXPECT_FALSE(std::filesystem::exists("Missing"));
  // A missing file reads as the default less its trailing spaces.
  EXPECT_EQ(ReadProfileString("QOLEB", "Call", "none  ", 10000, "Missing\\QOLEB.ini"), "none");
  EXPECT_EQ(ReadProfileString("QOLEB", "Call", "none", 3, "Plugins\\Absent.ini"), "no");
}

TEST(Profile, KeepsOtherSectionsAndRefusesBrokenEntries) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Plugins");
  const std::string file = "Plugins\\QOLEB.ini";
  WriteFileBytes("Plugins/QOLEB.ini", "[Sibling]\r\nCall=OTHER\r\n[QOLEB]\r\nCall=OLD\r\n");
  ASSERT_TRUE(WriteProfileString("QOLEB", "Call", "NEW", file));
  ASSERT_TRUE(WriteProfileString("QOLEB", "Soapbox", "line1<CR>line2", file));
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"),
            "[Sibling]\r\nCall=OTHER\r\n[QOLEB]\r\nCall=NEW\r\nSoapbox=line1<CR>line2\r\n");

  // A raw line break would turn the rest of the value into keys of its own.
  EXPECT_FALSE(WriteProfileString("QOLEB", "Soapbox", "line1\r\nCall=HIJACK", file));
  EXPECT_FALSE(WriteProfileString("QOLEB", "", "v", file));
  EXPECT_EQ(ReadProfileString("QOLEB", "Call", "", 10000, file), "NEW");
  EXPECT_EQ(ReadProfileString("QOLEB", "Soapbox", "", 10000, file), "line1<CR>line2");
}

}  // namespace
}  // namespace platform
