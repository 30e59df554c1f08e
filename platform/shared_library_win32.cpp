// Win32 side of shared_library.h.
#include <windows.h>

#include "platform/shared_library.h"

namespace platform {

void* OpenSharedLibrary(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = "LoadLibrary failed with error " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void*>(module);
}

void* FindSharedLibrarySymbol(void* library, const std::string& name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

void CloseSharedLibrary(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::string ExecutablePath() {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length < sizeof path ? length : 0);
}

}  // namespace platform
