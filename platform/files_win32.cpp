// Win32 side of files.h.
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileA (a different call); the name here is ours.
#undef ReplaceFile

#include "platform/files.h"

namespace platform {

std::string NativePath(const std::string& path) { return path; }

bool ReplaceFile(const std::string& fromPath, const std::string& toPath) {
  return MoveFileExA(fromPath.c_str(), toPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::int64_t FileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                   now.dwLowDateTime);
}

// FILETIME counts 100-nanosecond intervals.
std::int64_t FileTimeSpan(int seconds) { return static_cast<std::int64_t>(seconds) * 10000000; }

bool GetFileStamp(const std::string& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  stamp.identity = join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
  stamp.identity2 = 0;
  stamp.size = join(data.nFileSizeHigh, data.nFileSizeLow);
  stamp.modified = static_cast<std::int64_t>(
      join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
  return true;
}

}  // namespace platform
