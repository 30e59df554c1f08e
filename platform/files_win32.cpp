// Win32 side of files.h.
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileA (a different call); the name here is ours.
#undef ReplaceFile

#include <algorithm>

#include "platform/files.h"

namespace platform {

std::string NativePath(const std::string& path) { return path; }

bool ReplaceFile(const std::string& fromPath, const std::string& toPath) {
  return MoveFileExA(fromPath.c_str(), toPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  static volatile LONG counter = 0;
  std::string temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = path + ".~" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(static_cast<unsigned long>(InterlockedIncrement(&counter))) + ".tmp";
    file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD put = 0;
    ok = WriteFile(file, bytes.data() + done, chunk, &put, nullptr) && put > 0;
    done += put;
  }
  if (ok) ok = FlushFileBuffers(file) != 0;
  if (!CloseHandle(file)) ok = false;
  if (ok) ok = ReplaceFile(temporary, path);
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
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
