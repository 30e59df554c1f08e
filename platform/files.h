// File names and whole-file replacement.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// NativePath()
// The system's texts name files with '\' between folders (".\Plugins\zelta.dom").
// Win32 takes such a path as it is; POSIX gets '/' in place of every '\'.
std::string NativePath(const std::string& path);

// ReplaceFile()
// Puts the complete file `fromPath` in place of `toPath` in one step, replacing
// any file of that name (Win32: MoveFileExA with MOVEFILE_REPLACE_EXISTING; POSIX:
// rename). Both paths are native paths in the same folder. Returns false, leaving
// both files as they were, when the system refuses.
bool ReplaceFile(const std::string& fromPath, const std::string& toPath);

// WriteFileAtomically()
// Writes `bytes` to a new file of a unique name in the folder of the native path
// `path` and then puts it in place of `path` with ReplaceFile, so a reader sees
// the old file or the complete new one, and two writers at once never share a
// temporary file. An existing file keeps its permissions (POSIX). Returns false,
// leaving `path` as it was and no temporary file behind, when any step fails.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// What tells one version of a file from another without reading it.
struct FileStamp {
  std::uint64_t identity = 0;   // POSIX: device and inode; Win32: creation time
  std::uint64_t identity2 = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;    // last write, in the system's finest unit
  bool operator==(const FileStamp&) const = default;
};

// FileTimeNow()
// The present moment on the clock that stamps files, in the unit of
// FileStamp::modified.
std::int64_t FileTimeNow();

// FileTimeSpan()
// `seconds` in the unit of FileStamp::modified.
std::int64_t FileTimeSpan(int seconds);

// GetFileStamp()
// Fills `stamp` for the file at the native path `path` with one system call
// (stat / GetFileAttributesExA). False when there is no such file.
bool GetFileStamp(const std::string& path, FileStamp& stamp);

}  // namespace platform
