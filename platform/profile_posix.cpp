// POSIX side of profile.h: the rules of profile_text.h applied to real files.
// A write puts a complete new file in place of the old one in one rename, so a
// crash leaves either the old file or the new one, never half of either.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_text.h"

namespace platform {
namespace {

// The caller's texts end at a NUL, as the C strings of the Win32 side do.
std::string_view CText(const std::string& text) {
  return std::string_view(text.c_str());
}

enum class ReadResult { kRead, kMissing, kFailed };

// The whole file at native `path` into `bytes`; its mode into `mode` when read.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, mode_t& mode) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  mode = info.st_mode & 07777;
  bytes.clear();
  char chunk[65536];
  while (ok) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ok ? ReadResult::kRead : ReadResult::kFailed;
}

}  // namespace

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, std::size_t bufferSize,
                              const std::string& file) {
  std::string bytes;
  mode_t mode = 0;
  if (ReadWholeFile(NativePath(file), bytes, mode) != ReadResult::kRead) {
    return ProfileDefaultString(CText(defaultValue), bufferSize);
  }
  return ProfileStringFromBytes(bytes, CText(section), CText(key), CText(defaultValue),
                                bufferSize);
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
  std::string path = NativePath(file);
  // Replace the file a symbolic link points to, not the link itself.
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char* target = ::realpath(path.c_str(), nullptr);
    if (target != nullptr) {
      path = target;
      std::free(target);
    }
  }
  std::string bytes;
  mode_t mode = 0;
  const ReadResult read = ReadWholeFile(path, bytes, mode);
  if (read == ReadResult::kFailed) return false;  // never overwrite what could not be read
  const std::optional<std::string> updated = ProfileBytesWithValue(bytes, section, key, value);
  if (!updated) return false;
  if (read == ReadResult::kRead && *updated == bytes) return true;  // value already stored
  return WriteFileAtomically(path, *updated);  // keeps the old file's mode
}

}  // namespace platform
