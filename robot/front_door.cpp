#include "robot/front_door.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

#include "text/ascii_text.h"

namespace robot {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 65536;
constexpr std::size_t kMaxChunkLine = 256;                        // a chunk's size line
constexpr std::chrono::milliseconds kLinger{2000};                // reading what follows an answer,
constexpr std::size_t kLingerBytes = 1u << 20;                    // for so long and so much at most
constexpr std::chrono::milliseconds kTick{100};

enum class Stage {
  kHead,       // reading the request line and the header lines
  kBody,       // reading the body
  kServing,    // a worker has the request
  kAnswering,  // sending the answer
  kLingering,  // the answer sent: what the client still sends is read and dropped
};

enum class Chunk { kSize, kData, kDataEnd, kTrailer };

struct Connection {
  int fd = -1;
  std::string address;
  int port = 0;
  Stage stage = Stage::kHead;
  Clock::time_point deadline;
  std::string in;           // bytes of the head, as received
  std::string head;         // the head rebuilt, without its last blank line
  std::string body;
  std::string method;
  std::string target;
  BodyLimit limit;
  bool chunked = false;
  std::size_t length = 0;
  Chunk chunk = Chunk::kSize;
  std::size_t chunkLeft = 0;
  std::string line;         // a chunk's size line, or a trailer line
  std::size_t trailerBytes = 0;
  std::string out;
  std::size_t sent = 0;
  std::size_t held = 0;     // bytes counted in the door's buffered total
  std::size_t dropped = 0;  // bytes read and dropped after the answer
  bool counted = true;      // in its address's count (until answered)
};

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == ':' || c == '(' || c == ')' || c == ',' || c == ';' ||
        c == '"' || c == '/' || c == '[' || c == ']' || c == '?' || c == '=' || c == '{' || c == '}' ||
        c == '\\' || c == '<' || c == '>' || c == '@') {
      return false;
    }
  }
  return true;
}

}  // namespace

struct FrontDoor::Loop {
  DoorLimits limits;
  DoorHandlers handlers;
  int listening = -1;
  int epoll = -1;
  int wake = -1;   // an eventfd: Stop(), or a worker's answer ready
  std::atomic<bool> stopAsked{false};
  bool stopping = false;
  bool listenerPaused = false;
  Clock::time_point graceEnd;
  std::uint64_t nextId = 1;
  std::map<std::uint64_t, Connection> connections;
  std::map<int, std::uint64_t> byFd;
  std::map<std::string, std::size_t> perAddress;
  std::size_t buffered = 0;
  std::unique_ptr<httplib::ThreadPool> workers;
  std::mutex answersMutex;
  std::vector<std::pair<std::uint64_t, std::string>> answers;

  void Watch(int fd, std::uint32_t events, int op) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    epoll_ctl(epoll, op, fd, &event);
  }
  void Accept();
  void Close(std::uint64_t id);
  void Hold(Connection& c, std::size_t held) {
    buffered = buffered - c.held + held;
    c.held = held;
  }
  void Uncount(Connection& c) {
    if (c.counted && --perAddress[c.address] == 0) perAddress.erase(c.address);
    c.counted = false;
  }
  void Refuse(std::uint64_t id, Refusal why);
  void Answer(std::uint64_t id, std::string answer);
  void Readable(std::uint64_t id);
  void Writable(std::uint64_t id);
  // The head's end is in `c.in`: parse it and go on with the body. False when the
  // connection was refused.
  bool Head(std::uint64_t id, std::size_t end);
  // Takes body bytes; false when the connection was refused.
  bool Body(std::uint64_t id, const char* data, std::size_t size);
  void Complete(std::uint64_t id);
  void Tick();
  void TakeAnswers();
};

void FrontDoor::Loop::Accept() {
  for (;;) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    const int fd = accept4(listening, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // No descriptor left: wait for a connection to close rather than spin.
        Watch(listening, 0, EPOLL_CTL_MOD);
        listenerPaused = true;
      }
      return;
    }
    char text[INET6_ADDRSTRLEN] = "";
    int port = 0;
    if (peer.ss_family == AF_INET) {
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(&peer);
      inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
      port = ntohs(v4->sin_port);
    } else if (peer.ss_family == AF_INET6) {
      const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&peer);
      inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
      port = ntohs(v6->sin6_port);
    }
    const std::string address = text;
    if (connections.size() >= limits.maxConnections || perAddress[address] >= limits.perAddress) {
      // Told at once, as far as the socket takes it, and closed.
      const std::string busy = handlers.refuse(Refusal::kBusy, "", "");
      [[maybe_unused]] const ssize_t sent = send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
      close(fd);
      if (perAddress[address] == 0) perAddress.erase(address);
      continue;
    }
    const std::uint64_t id = nextId++;
    Connection& c = connections[id];
    c.fd = fd;
    c.address = address;
    c.port = port;
    c.deadline = Clock::now() + limits.headTime;
    ++perAddress[address];
    byFd[fd] = id;
    Watch(fd, EPOLLIN | EPOLLRDHUP, EPOLL_CTL_ADD);
  }
}

void FrontDoor::Loop::Close(std::uint64_t id) {
  const auto it = connections.find(id);
  if (it == connections.end()) return;
  Connection& c = it->second;
  Hold(c, 0);
  epoll_ctl(epoll, EPOLL_CTL_DEL, c.fd, nullptr);
  close(c.fd);
  byFd.erase(c.fd);
  Uncount(c);
  connections.erase(it);
  if (listenerPaused && listening >= 0) {
    Watch(listening, EPOLLIN, EPOLL_CTL_MOD);
    listenerPaused = false;
  }
}

void FrontDoor::Loop::Answer(std::uint64_t id, std::string answer) {
  Connection& c = connections.at(id);
  Hold(c, 0);
  std::string().swap(c.in);
  std::string().swap(c.body);
  c.out = std::move(answer);
  c.sent = 0;
  c.stage = Stage::kAnswering;
  c.deadline = Clock::now() + limits.answerTime;
  Watch(c.fd, EPOLLOUT, EPOLL_CTL_MOD);
  Writable(id);
}

void FrontDoor::Loop::Refuse(std::uint64_t id, Refusal why) {
  Connection& c = connections.at(id);
  Answer(id, handlers.refuse(why, c.method, c.target));
}

void FrontDoor::Loop::Writable(std::uint64_t id) {
  Connection& c = connections.at(id);
  if (c.stage != Stage::kAnswering) return;
  while (c.sent < c.out.size()) {
    const ssize_t sent = send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      if (errno == EINTR) continue;
      return Close(id);
    }
    c.sent += static_cast<std::size_t>(sent);
  }
  // All sent. Closing now with the client's bytes unread would reset the connection
  // and could wipe the answer before the client reads it: the rest is read and
  // dropped for a moment.
  std::string().swap(c.out);
  Uncount(c);  // the client's next request is no longer this one's
  shutdown(c.fd, SHUT_WR);
  c.stage = Stage::kLingering;
  c.deadline = Clock::now() + kLinger;
  Watch(c.fd, EPOLLIN | EPOLLRDHUP, EPOLL_CTL_MOD);
}

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
  const std::size_t from = before >= 3 && before - 3 < c->in.size() ? before - 3 : 0;
  std::size_t end = std::string::npos;
  for (std::size_t i = c->in.find('\n', from); i != std::string::npos; i = c->in.find('\n', i + 1)) {
    if (i + 1 < c->in.size() && c->in[i + 1] == '\n') {
      end = i + 2;
      break;
    }
    if (i + 2 < c->in.size() && c->in[i + 1] == '\r' && c->in[i + 2] == '\n') {
      end = i + 3;
      break;
    }
  }
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
  std::vector<std::string_view> lines;
  const std::string_view head(c.in.data(), end);
  for (std::size_t pos = 0; pos < head.size();) {
    std::size_t next = head.find('\n', pos);
    std::string_view line = head.substr(pos, next - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    pos = next + 1;
  }
  // METHOD TARGET HTTP/1.x
  const std::string_view request = lines.empty() ? std::string_view() : lines[0];
  const std::size_t space1 = request.find(' ');
  const std::size_t space2 = space1 == std::string_view::npos ? space1 : request.find(' ', space1 + 1);
  if (space2 == std::string_view::npos || !IsToken(request.substr(0, space1)) || space2 == space1 + 1 ||
      request.substr(space2 + 1).substr(0, 7) != "HTTP/1." || request.find(' ', space2 + 1) != std::string_view::npos) {
    Refuse(id, Refusal::kBadRequest);
    return false;
  }
  c.method = std::string(request.substr(0, space1));
  c.target = std::string(request.substr(space1 + 1, space2 - space1 - 1));
  c.head = std::string(request) + "\r\n";
  std::optional<std::size_t> length;
  bool expectContinue = false;
  bool bad = false;
  for (std::size_t i = 1; i < lines.size() && !bad; ++i) {
    const std::string_view line = lines[i];
    const std::size_t colon = line.find(':');
    // A header's name is a token; lines folded onto the one before are obsolete.
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) {
      bad = true;
      break;
    }
    const std::string name = text::AsciiLower(line.substr(0, colon));
    const std::string_view value = text::TrimBlanks(line.substr(colon + 1));
    if (name == "content-length") {
      std::size_t number = 0;
      bad = value.empty() || value.size() > 15;
      for (const char digit : value) {
        if (digit < '0' || digit > '9') bad = true;
        number = number * 10 + static_cast<std::size_t>(digit - '0');
      }
      if (length && *length != number) bad = true;
      length = number;
    } else if (name == "transfer-encoding") {
      // Only chunked is read: any other coding leaves the body's end unknown.
      if (c.chunked || text::AsciiLower(value) != "chunked") bad = true;
      c.chunked = true;
    } else if (name == "expect") {
      expectContinue = text::AsciiLower(value) == "100-continue";
    } else {
      c.head.append(line).append("\r\n");
    }
  }
  if (bad || (c.chunked && length)) {
    Refuse(id, Refusal::kBadRequest);
    return false;
  }
  c.length = length.value_or(0);
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
  if (expectContinue) {
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
  auto take = [&](std::size_t count) {
    c.body.append(data, count);
    data += count;
    size -= count;
  };
  if (!c.chunked) {
    take(std::min(size, c.length - c.body.size()));  // what follows the body is dropped
  }
  while (c.chunked && size > 0) {
    if (c.chunk == Chunk::kData) {
      const std::size_t count = std::min(size, c.chunkLeft);
      take(count);
      c.chunkLeft -= count;
      if (c.chunkLeft == 0) c.chunk = Chunk::kDataEnd;
      continue;
    }
    // A line: a chunk's size, the end of a chunk's data, or a trailer line.
    const char byte = *data;
    ++data;
    --size;
    if (byte != '\n') {
      c.line += byte;
      if (c.chunk == Chunk::kTrailer && ++c.trailerBytes > limits.maxHeadBytes) {
        Refuse(id, Refusal::kHeaderTooLarge);
        return false;
      }
      if (c.line.size() > kMaxChunkLine) {
        Refuse(id, Refusal::kBadRequest);
        return false;
      }
      continue;
    }
    std::string line = std::move(c.line);
    c.line.clear();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (c.chunk == Chunk::kDataEnd) {
      if (!line.empty()) {
        Refuse(id, Refusal::kBadRequest);
        return false;
      }
      c.chunk = Chunk::kSize;
    } else if (c.chunk == Chunk::kTrailer) {
      if (line.empty()) {
        c.chunked = false;  // the body is whole
        c.length = c.body.size();
        break;
      }
    } else {
      const std::string_view digits = text::TrimBlanks(std::string_view(line).substr(0, line.find(';')));
      std::size_t chunkSize = 0;
      bool bad = digits.empty() || digits.size() > 15;
      for (const char digit : digits) {
        const int value = std::isxdigit(static_cast<unsigned char>(digit))
                              ? (digit <= '9' ? digit - '0' : (digit | 0x20) - 'a' + 10)
                              : -1;
        if (value < 0) bad = true;
        chunkSize = chunkSize * 16 + static_cast<std::size_t>(value < 0 ? 0 : value);
      }
      if (bad) {
        Refuse(id, Refusal::kBadRequest);
        return false;
      }
      if (chunkSize > c.limit.maxBytes - c.body.size()) {
        Refuse(id, Refusal::kTooLarge);
        return false;
      }
      c.chunkLeft = chunkSize;
      c.chunk = chunkSize == 0 ? Chunk::kTrailer : Chunk::kData;
    }
  }
  Hold(c, std::max(c.body.capacity(), c.body.size()));
  if (buffered > limits.maxBuffered) {
    Refuse(id, Refusal::kBusy);
    return false;
  }
  if (!c.chunked && c.body.size() == c.length) Complete(id);
  return true;
}

void FrontDoor::Loop::Complete(std::uint64_t id) {
  Connection& c = connections.at(id);
  c.stage = Stage::kServing;
  Watch(c.fd, 0, EPOLL_CTL_MOD);
  auto request = std::make_shared<WholeRequest>();
  request->bytes = std::move(c.head);
  request->bytes += "Content-Length: " + std::to_string(c.body.size()) + "\r\n\r\n";
  request->bytes += c.body;
  std::string().swap(c.body);
  request->address = c.address;
  request->port = c.port;
  Hold(c, request->bytes.size());  // held until answered, queued or served
  workers->enqueue([this, id, request] {
    std::string answer;
    try {
      answer = handlers.serve(*request);
    } catch (const std::exception&) {
    }
    {
      const std::lock_guard lock(answersMutex);
      answers.emplace_back(id, std::move(answer));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake, &one, sizeof one);
  });
}

void FrontDoor::Loop::TakeAnswers() {
  std::vector<std::pair<std::uint64_t, std::string>> ready;
  {
    const std::lock_guard lock(answersMutex);
    ready.swap(answers);
  }
  for (auto& [id, answer] : ready) {
    const auto it = connections.find(id);
    if (it == connections.end() || it->second.stage != Stage::kServing) continue;
    if (answer.empty()) {
      Close(id);
    } else {
      Answer(id, std::move(answer));
    }
  }
}

void FrontDoor::Loop::Tick() {
  const Clock::time_point now = Clock::now();
  std::vector<std::uint64_t> late;
  for (const auto& [id, c] : connections) {
    if (c.stage != Stage::kServing && now >= c.deadline) late.push_back(id);
  }
  for (const std::uint64_t id : late) {
    Connection& c = connections.at(id);
    if (c.stage == Stage::kBody || (c.stage == Stage::kHead && !c.in.empty())) {
      Refuse(id, Refusal::kTooSlow);
    } else {
      Close(id);  // idle, an answer not taken in time, or lingered long enough
    }
  }
}

FrontDoor::FrontDoor(int listening, const DoorLimits& limits, DoorHandlers handlers)
    : loop_(std::make_unique<Loop>()) {
  Loop& l = *loop_;
  l.limits = limits;
  l.handlers = std::move(handlers);
  l.listening = listening;
  l.epoll = epoll_create1(EPOLL_CLOEXEC);
  l.wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (l.epoll < 0 || l.wake < 0) throw std::runtime_error("cannot set up epoll");
  l.Watch(l.wake, EPOLLIN, EPOLL_CTL_ADD);
}

FrontDoor::~FrontDoor() {
  Loop& l = *loop_;
  for (const auto& [id, c] : l.connections) close(c.fd);
  if (l.listening >= 0) close(l.listening);
  close(l.wake);
  close(l.epoll);
}

void FrontDoor::Stop() {
  loop_->stopAsked = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(loop_->wake, &one, sizeof one);
}

void FrontDoor::Run() {
  Loop& l = *loop_;
  l.workers = std::make_unique<httplib::ThreadPool>(static_cast<std::size_t>(std::max(1, l.limits.workers)));
  const int flags = fcntl(l.listening, F_GETFL);
  fcntl(l.listening, F_SETFL, flags | O_NONBLOCK);
  l.Watch(l.listening, EPOLLIN, EPOLL_CTL_ADD);
  std::vector<epoll_event> events(256);
  while (!l.stopping || (!l.connections.empty() && Clock::now() < l.graceEnd)) {
    const int count = epoll_wait(l.epoll, events.data(), static_cast<int>(events.size()),
                                 static_cast<int>(kTick.count()));
    for (int i = 0; i < count; ++i) {
      const int fd = events[i].data.fd;
      if (fd == l.wake) {
        std::uint64_t value = 0;
        [[maybe_unused]] const ssize_t got = read(l.wake, &value, sizeof value);
        l.TakeAnswers();
        continue;
      }
      if (fd == l.listening) {
        l.Accept();
        continue;
      }
      const auto found = l.byFd.find(fd);
      if (found == l.byFd.end()) continue;
      const std::uint64_t id = found->second;
      if (events[i].events & EPOLLOUT) {
        l.Writable(id);
      } else if (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) {
        l.Readable(id);
      }
    }
    l.Tick();
    if (l.stopAsked && !l.stopping) {
      // No more connections; those that sent nothing yet are closed, the others
      // have the grace time.
      l.stopping = true;
      l.graceEnd = Clock::now() + l.limits.grace;
      epoll_ctl(l.epoll, EPOLL_CTL_DEL, l.listening, nullptr);
      close(l.listening);
      l.listening = -1;
      std::vector<std::uint64_t> idle;
      for (const auto& [id, c] : l.connections) {
        if (c.stage == Stage::kHead && c.in.empty()) idle.push_back(id);
      }
      for (const std::uint64_t id : idle) l.Close(id);
    }
  }
  std::vector<std::uint64_t> rest;
  for (const auto& [id, c] : l.connections) rest.push_back(id);
  for (const std::uint64_t id : rest) l.Close(id);
  l.workers->shutdown();
}

}  // namespace robot
