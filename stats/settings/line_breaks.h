// The stored form of texts of several lines. A profile value holds one line, so
// the address and the soapbox are kept with their line breaks spelled out.
#pragma once

#include <string>

namespace stats {

// The tokens of the stored form; upper case, matched byte for byte.
inline constexpr char kStoredCr[] = "<CR>";
inline constexpr char kStoredLf[] = "<LF>";

// EncodeLineBreaks()
// Text form to stored form: every CR becomes "<CR>", then every LF "<LF>".
std::string EncodeLineBreaks(const std::string& text);

// DecodeLineBreaks()
// Stored form to text form: every "<CR>" becomes CR, then every "<LF>" LF. Tokens
// typed by the operator are not escaped, so they too turn into line breaks.
std::string DecodeLineBreaks(const std::string& stored);

}  // namespace stats
