// Loading a shared library by path and finding its exports (the stand-in host and
// the ABI tests load the plug-in this way, as the host program does).
#pragma once

#include <string>

namespace platform {

// OpenSharedLibrary()
// Loads the library at `path` (dlopen / LoadLibraryA). Returns its handle, or
// nullptr with the system's reason in `error`.
void* OpenSharedLibrary(const std::string& path, std::string& error);

// FindSharedLibrarySymbol()
// The address of the export `name`, or nullptr when there is none.
void* FindSharedLibrarySymbol(void* library, const std::string& name);

// CloseSharedLibrary()
// Unloads a library opened by OpenSharedLibrary(); nullptr is ignored.
void CloseSharedLibrary(void* library);

// ExecutablePath()
// The full path of the running program (tests and the stand-in host find the
// plug-in and their data beside it).
std::string ExecutablePath();

}  // namespace platform
