// How the front door reads a request's framing: the head's end, its request line and
// header lines, and a chunked body, each without trusting the client's sizes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace robot {

// FindHeadEnd()
// Where the head in `bytes` ends (after its blank line; LF alone ends lines too),
// looking from `from` on; npos while it has not ended.
std::size_t FindHeadEnd(std::string_view bytes, std::size_t from);

struct RequestHead {
  std::string method;
  std::string target;
  std::string rebuilt;        // request line and header lines but the framing's, CRLF each
  std::optional<std::size_t> length;   // Content-Length
  bool chunked = false;
  bool expectContinue = false;
};

// ParseHead()
// The head `head` (its blank line included); nullopt when it is no HTTP/1.x request
// or its framing cannot be read: a Transfer-Encoding other than chunked, lengths that
// differ, both a length and chunked, a header line that is no "name: value".
std::optional<RequestHead> ParseHead(std::string_view head);

// A chunked body decoded as its bytes arrive.
class ChunkedBody {
 public:
  enum class State { kMore, kDone, kBad, kTooLarge, kTrailerTooLarge };
  // Takes bytes from `data` (advanced past what it took) into `body`: the body's end
  // (kDone: the rest of `data` is left), bad framing, a chunk that would take `body`
  // over `maxBytes`, or trailer lines over `maxTrailer` bytes.
  State Feed(std::string_view& data, std::string& body, std::size_t maxBytes, std::size_t maxTrailer);

 private:
  enum class Part { kSize, kData, kDataEnd, kTrailer } part_ = Part::kSize;
  std::size_t left_ = 0;      // of the chunk's data
  std::string line_;          // a size line, or a trailer line
  std::size_t trailer_ = 0;   // trailer bytes
};

}  // namespace robot
