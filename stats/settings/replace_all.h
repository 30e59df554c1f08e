// Text replacement: the primitive under the line-break codec, the log-file name
// and the Cabrillo address and soapbox lines.
#pragma once

#include <string>

namespace stats {

// ReplaceAll()
// `source` with every occurrence of `find` replaced by `replacement`. Occurrences
// are found left to right, byte for byte, and never overlap; text that a
// replacement inserted is not searched again. When `find` equals `replacement`,
// or `find` is empty, `source` comes back unchanged.
std::string ReplaceAll(const std::string& source, const std::string& find,
                       const std::string& replacement);

}  // namespace stats
