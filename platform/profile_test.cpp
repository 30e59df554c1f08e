// The profile layer through real files: what both sides, the Win32 API and the
// POSIX implementation, must do alike, and what the POSIX side does besides.
#include "platform/profile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "platform/profile_text.h"
#include "tests/support/profile_cases.h"
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
  // A missing file reads as the default less its trailing spaces.
  EXPECT_EQ(ReadProfileString("QOLEB", "Call", "none  ", 10000, "Missing\\QOLEB.ini"), "none");
  EXPECT_EQ(ReadProfileString("QOLEB", "Call", "none", 3, "Absent.ini"), "no");
}

TEST(Profile, WritesFilesAsTheWin32ApiDoes) {
  ScopedWorkDir dir;
  int number = 0;
  for (const auto& c : testing_support::ProfileWriteCases()) {
    SCOPED_TRACE("[" + std::string(c.section) + "] " + c.key + " in '" + c.file + "'");
    const std::string file = "w" + std::to_string(number++) + ".ini";
    if (!c.file.empty()) WriteFileBytes(file, c.file);
    ASSERT_TRUE(WriteProfileString(c.section, c.key, c.value, ".\\" + file));
#ifdef _WIN32
    if (c.wineSameBytes) EXPECT_EQ(ReadFileBytes(file), c.expected);
#else
    EXPECT_EQ(ReadFileBytes(file), c.expected);
#endif
    // Whatever the bytes, every key reads back alike.
    for (const char* section : {"Other", "Settings", "A", "B", "S", c.section}) {
      for (const char* key : {"Name", "Call", "Empty", "Soapbox", "a", "b", "k", "K", "later", c.key}) {
        EXPECT_EQ(ReadProfileString(section, key, "<none>", 20000, ".\\" + file),
                  ProfileStringFromBytes(c.expected, section, key, "<none>", 20000))
            << section << "/" << key;
      }
    }
  }
}

TEST(Profile, WritesIntoAnExistingFolderOnlyAndRefusesBrokenEntries) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Plugins");
  const std::string file = "Plugins\\QOLEB.ini";
  EXPECT_TRUE(WriteProfileString("QOLEB", "Call", "UA1ABC", file));
  // A raw line break would turn the rest of the value into keys of its own.
  EXPECT_FALSE(WriteProfileString("QOLEB", "Soapbox", "line1\r\nCall=HIJACK", file));
  EXPECT_FALSE(WriteProfileString("QOLEB", "", "v", file));
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[QOLEB]\r\nCall=UA1ABC\r\n");
  // A missing folder is not created, and the write reports failure.
  EXPECT_FALSE(WriteProfileString("QOLEB", "Call", "UA1ABC", "Missing\\QOLEB.ini"));
  EXPECT_FALSE(std::filesystem::exists("Missing"));
}

#ifndef _WIN32
// The POSIX side replaces the file atomically, keeping its mode and a link, writes
// nothing when nothing changes, and never writes over what it could not read.
TEST(ProfilePosix, ReplacesOnlyWhatItReadKeepingModeAndLinks) {
  ScopedWorkDir dir;
  WriteFileBytes("real/s.ini", "[S]\r\nK=old\r\n");
  ::chmod("real/s.ini", 0640);
  std::filesystem::create_symlink("real/s.ini", "link.ini");
  ASSERT_TRUE(WriteProfileString("S", "K", "new", "link.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink("link.ini")) << "the link must stay a link";
  EXPECT_EQ(ReadFileBytes("real/s.ini"), "[S]\r\nK=new\r\n");
  struct stat info {};
  ASSERT_EQ(::stat("real/s.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file must keep its mode";
  // The same value again: the file is not even replaced.
  const ino_t before = info.st_ino;
  ASSERT_TRUE(WriteProfileString("s", "k", "new", "real/s.ini"));
  ASSERT_EQ(::stat("real/s.ini", &info), 0);
  EXPECT_EQ(info.st_ino, before);
  // No temporary file is left beside the finished one.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("real"),
                          std::filesystem::directory_iterator()), 1);
  // A folder in place of the file cannot be read, so it is not replaced.
  std::filesystem::create_directory("d.ini");
  EXPECT_FALSE(WriteProfileString("S", "K", "V", "d.ini"));
  EXPECT_TRUE(std::filesystem::is_directory("d.ini"));
  EXPECT_EQ(ReadProfileString("S", "K", "def", 10000, "d.ini"), "def");
}
#endif

}  // namespace
}  // namespace platform
