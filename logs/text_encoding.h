// The plug-in's texts are Windows-1251 bytes; the terminal wants UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace logs {

// Cp1251ToUtf8()
// `text` read as Windows-1251 and written as UTF-8. The one byte the code page
// leaves undefined (0x98) becomes U+FFFD, so nothing is dropped silently.
std::string Cp1251ToUtf8(std::string_view text);

}  // namespace logs
