// POSIX side of text_encoding.h: glibc's iconv does the conversion.
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

#include "logs/text_encoding.h"

namespace logs {

std::string Cp1251ToUtf8(std::string_view text) {
  iconv_t converter = iconv_open("UTF-8", "CP1251");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("iconv cannot convert from CP1251 to UTF-8");
  }
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A byte without a character in the code page.
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    }
  }
  iconv_close(converter);
  return out;
}

}  // namespace logs
