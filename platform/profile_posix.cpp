// POSIX side of profile.h (placeholder until the portable profile reader lands).
#include "platform/profile.h"

namespace platform {

std::string ReadProfileString(const std::string&, const std::string&,
                              const std::string& defaultValue, std::size_t,
                              const std::string&) {
  return defaultValue;
}

bool WriteProfileString(const std::string&, const std::string&, const std::string&,
                        const std::string&) {
  return false;
}

}  // namespace platform
