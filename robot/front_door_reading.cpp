// The front door's reading of a request: its head, then its body, within their limits.
#include <sys/socket.h>

#include "robot/front_door_loop.h"

namespace robot {

using namespace door;

void FrontDoor::Loop::Readable(std::uint64_t id) {
  char buffer[kReadChunk];
  Connection* c = &connections.at(id);
  const ssize_t got = recv(c->fd, buffer, sizeof buffer, 0);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (got <= 0) return Close(id);  // gone, or half-closed before a whole request
  const auto size = static_cast<std::size_t>(got);
  if (c->stage == Stage::kLingering) {
    c->dropped += size;
    if (c->dropped > kLingerBytes) Close(id);
    return;
  }
  if (c->stage == Stage::kBody) {
    Body(id, buffer, size);
    return;
  }
  if (c->stage != Stage::kHead) return;
  const std::size_t before = c->in.size();
  c->in.append(buffer, size);
  // Blank lines before the request line are allowed and dropped.
  const std::size_t first = c->in.find_first_not_of("\r\n");
  if (first == std::string::npos) {
    c->in.clear();
  } else if (first > 0) {
    c->in.erase(0, first);
  }
  Hold(*c, c->in.size());
  if (buffered > limits.maxBuffered) return Refuse(id, Refusal::kBusy);
  // The head ends at its first blank line; look where the new bytes may close it.
  const std::size_t end = FindHeadEnd(c->in, before >= 3 && before - 3 < c->in.size() ? before - 3 : 0);
  const std::size_t headBytes = end == std::string::npos ? c->in.size() : end;
  std::size_t lines = 0;
  for (std::size_t i = 0; i < headBytes; ++i) lines += c->in[i] == '\n';
  if (headBytes > limits.maxHeadBytes || lines > limits.maxHeaderLines + 2) {
    return Refuse(id, Refusal::kHeaderTooLarge);
  }
  if (end != std::string::npos) Head(id, end);
}

bool FrontDoor::Loop::Head(std::uint64_t id, std::size_t end) {
  Connection& c = connections.at(id);
  std::optional<RequestHead> head = ParseHead(std::string_view(c.in).substr(0, end));
  if (!head) {
    Refuse(id, Refusal::kBadRequest);
    return false;
  }
  c.method = std::move(head->method);
  c.target = std::move(head->target);
  c.head = std::move(head->rebuilt);
  c.chunked = head->chunked;
  c.length = head->length.value_or(0);
  c.limit = handlers.bodyLimit(c.method, c.target);
  if (c.length > c.limit.maxBytes || (c.chunked && c.limit.maxBytes == 0)) {
    Refuse(id, Refusal::kTooLarge);
    return false;
  }
  const std::string rest = c.in.substr(end);
  std::string().swap(c.in);
  if (!c.chunked && c.length == 0) {
    Complete(id);
    return true;
  }
  if (head->expectContinue) {
    static constexpr char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
    [[maybe_unused]] const ssize_t sent = send(c.fd, kContinue, sizeof kContinue - 1, MSG_NOSIGNAL);
  }
  c.stage = Stage::kBody;
  c.deadline = Clock::now() + c.limit.time;
  c.body.reserve(std::min<std::size_t>(c.chunked ? kReadChunk : c.length, c.limit.maxBytes));
  Hold(c, c.body.capacity());
  return rest.empty() || Body(id, rest.data(), rest.size());
}

bool FrontDoor::Loop::Body(std::uint64_t id, const char* data, std::size_t size) {
  Connection& c = connections.at(id);
  bool whole = false;
  if (c.chunked) {
    std::string_view bytes(data, size);
    switch (c.chunks.Feed(bytes, c.body, c.limit.maxBytes, limits.maxHeadBytes)) {
      case ChunkedBody::State::kMore: break;
      case ChunkedBody::State::kDone: whole = true; break;
      case ChunkedBody::State::kBad: Refuse(id, Refusal::kBadRequest); return false;
      case ChunkedBody::State::kTooLarge: Refuse(id, Refusal::kTooLarge); return false;
      case ChunkedBody::State::kTrailerTooLarge: Refuse(id, Refusal::kHeaderTooLarge); return false;
    }
  } else {
    c.body.append(data, std::min(size, c.length - c.body.size()));  // what follows the body is dropped
    whole = c.body.size() == c.length;
  }
  Hold(c, std::max(c.body.capacity(), c.body.size()));
  if (buffered > limits.maxBuffered) {
    Refuse(id, Refusal::kBusy);
    return false;
  }
  if (whole) Complete(id);
  return true;
}

}  // namespace robot
