// POSIX side of shared_library.h.
#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "platform/shared_library.h"

namespace platform {

void* OpenSharedLibrary(const std::string& path, std::string& error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = reason ? reason : "dlopen failed";
  }
  return library;
}

void* FindSharedLibrarySymbol(void* library, const std::string& name) {
  return dlsym(library, name.c_str());
}

void CloseSharedLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

std::string ExecutablePath() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  return length > 0 ? std::string(path.data(), static_cast<size_t>(length)) : std::string();
}

}  // namespace platform
