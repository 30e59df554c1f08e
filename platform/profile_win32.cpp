// Win32 side of profile.h: the real profile functions.
#include <windows.h>
// <windows.h> maps WriteProfileString to WriteProfileStringA (the WIN.INI call);
// the name here is ours.
#undef WriteProfileString

#include <vector>

#include "platform/profile.h"
#include "platform/profile_text.h"

namespace platform {

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, std::size_t bufferSize,
                              const std::string& file) {
  if (bufferSize == 0) return std::string();
  std::vector<char> buffer(bufferSize, '\0');
  const DWORD length =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                               static_cast<DWORD>(bufferSize), file.c_str());
  return std::string(buffer.data(), length);
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
  // The API would write a CR, LF or NUL into the file or cut the text at it.
  if (!IsWritableProfileEntry(section, key, value)) return false;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         0;
}

}  // namespace platform
