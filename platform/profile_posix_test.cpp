// POSIX side of the profile layer: in-place edits, atomic replacement, no
// needless writes.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "tests/support/test_support.h"

namespace platform {
namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

ino_t InodeOf(const char* path) {
  struct stat info {};
  EXPECT_EQ(::stat(path, &info), 0) << path;
  return info.st_ino;
}

TEST(ProfilePosix, EditsInPlaceKeepingEveryUnrelatedByte) {
  ScopedWorkDir dir;
  const std::string original =
      "; hand-written\n"
      "[Sibling]\n"
      "  Name = Joe Bloggs \n"
      "\n"
      "[QOLEB]\r\n"
      "Name=Old\r\n"
      "\r\n";
  WriteFileBytes("s.ini", original);
  ::chmod("s.ini", 0640);
  ASSERT_TRUE(WriteProfileString("QOLEB", "Name", "New", "s.ini"));
  ASSERT_TRUE(WriteProfileString("QOLEB", "Call", "UA1ABC", "s.ini"));
  EXPECT_EQ(ReadFileBytes("s.ini"),
            "; hand-written\n[Sibling]\n  Name = Joe Bloggs \n\n"
            "[QOLEB]\r\nName=New\r\nCall=UA1ABC\r\n\r\n");
  struct stat info {};
  ASSERT_EQ(::stat("s.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file must keep its mode";

  // The same value again: the file is not even replaced.
  const ino_t before = InodeOf("s.ini");
  ASSERT_TRUE(WriteProfileString("qoleb", "CALL", "UA1ABC", "s.ini"));
  EXPECT_EQ(InodeOf("s.ini"), before);

  // Only the finished file remains in the folder: no temporary file is left.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(ProfilePosix, WritesThroughASymbolicLink) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("real");
  WriteFileBytes("real/s.ini", "[S]\r\nK=old\r\n");
  std::filesystem::create_symlink("real/s.ini", "link.ini");
  ASSERT_TRUE(WriteProfileString("S", "K", "new", "link.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink("link.ini")) << "the link must stay a link";
  EXPECT_EQ(ReadFileBytes("real/s.ini"), "[S]\r\nK=new\r\n");
}

TEST(ProfilePosix, LeavesAFileItCannotReadAlone) {
  ScopedWorkDir dir;
  // A folder in place of the file cannot be read, so it must not be replaced.
  std::filesystem::create_directory("d.ini");
  EXPECT_FALSE(WriteProfileString("S", "K", "V", "d.ini"));
  EXPECT_TRUE(std::filesystem::is_directory("d.ini"));
  EXPECT_EQ(ReadProfileString("S", "K", "def", 10000, "d.ini"), "def");
  // Nor is a UTF-16 file, which this implementation does not edit.
  const std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0", 12);
  WriteFileBytes("u.ini", utf16);
  EXPECT_FALSE(WriteProfileString("S", "K", "V", "u.ini"));
  EXPECT_EQ(ReadFileBytes("u.ini"), utf16);
}

}  // namespace
}  // namespace platform
