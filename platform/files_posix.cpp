// POSIX side of files.h.
#include <cstdio>

#include "platform/files.h"

namespace platform {

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

bool ReplaceFile(const std::string& fromPath, const std::string& toPath) {
  return std::rename(fromPath.c_str(), toPath.c_str()) == 0;
}

}  // namespace platform
