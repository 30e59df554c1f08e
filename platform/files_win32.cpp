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

}  // namespace platform
