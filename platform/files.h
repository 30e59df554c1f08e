// File names and whole-file replacement.
#pragma once

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

}  // namespace platform
