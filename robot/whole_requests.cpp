// The library's handlers on the front door's whole requests, and the door's own
// answers in the form of the robot's.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "robot/json_text.h"
#include "robot/service_parts.h"

namespace robot {
namespace {

// Answers up to this size stay in memory; the rest of a larger one (the zip of every
// log, an original log) goes into an unnamed file in the robot's folder.
constexpr std::size_t kSpoolAbove = 1u << 20;

// An unnamed file in `folder`, readable by its owner alone; -1 when none can be made.
int UnnamedFile(const std::string& folder) {
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string name = folder + "/answer-XXXXXX";
  fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) unlink(name.c_str());
  return fd;
}

// A whole request read from memory, its answer written to memory and, past
// kSpoolAbove, to an unnamed file.
class MemoryStream : public httplib::Stream {
 public:
  MemoryStream(const WholeRequest& request, const std::string& spoolFolder)
      : request_(request), spoolFolder_(spoolFolder) {}
  ~MemoryStream() override {
    if (file >= 0) close(file);
  }
  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const std::size_t count = std::min(size, request_.bytes.size() - read_);
    std::copy_n(request_.bytes.data() + read_, count, ptr);
    read_ += count;
    return static_cast<ssize_t>(count);
  }
  ssize_t write(const char* ptr, size_t size) override {
    if (file < 0 && answer.size() + size > kSpoolAbove && !spoolFolder_.empty()) {
      file = UnnamedFile(spoolFolder_);
    }
    if (file < 0) {
      answer.append(ptr, size);
      return static_cast<ssize_t>(size);
    }
    for (std::size_t done = 0; done < size;) {
      const ssize_t written = ::write(file, ptr + done, size - done);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return -1;  // the disk is full: the answer fails, the library says so
      done += static_cast<std::size_t>(written);
    }
    fileBytes += size;
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = request_.address;
    port = request_.port;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip.clear();
    port = 0;
  }
  socket_t socket() const override { return INVALID_SOCKET; }

  std::string answer;
  int file = -1;
  std::size_t fileBytes = 0;

 private:
  const WholeRequest& request_;
  const std::string& spoolFolder_;
  std::size_t read_ = 0;
};

const char* Reason(int status) {
  switch (status) {
    case 400: return "Bad Request";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

}  // namespace

int Server::TakeListeningSocket() {
  // The library takes a server without its socket for one shutting down, and stops
  // every answer that a content provider writes: it keeps a number that is no socket.
  const int socket = svr_sock_.exchange(kServedByTheDoor);
  if (socket == INVALID_SOCKET || ::listen(socket, SOMAXCONN) != 0) return -1;
  return socket;
}

DoorAnswer Server::Handle(const WholeRequest& request) {
  MemoryStream stream(request, spoolFolder);
  bool closed = false;
  process_request(stream, true, closed, nullptr);
  DoorAnswer answer{std::move(stream.answer), std::exchange(stream.file, -1), stream.fileBytes};
  if (answer.file >= 0 && lseek(answer.file, 0, SEEK_SET) != 0) {
    close(answer.file);
    return {};  // the connection is closed without an answer
  }
  return answer;
}

void Robot::Parts::GeneralError(const Request& req, Response& res) {
  const bool api = req.path.rfind("/api/", 0) == 0;
  const std::string text = res.status == 404   ? "not found"
                           : res.status == 408 ? "the request took too long"
                           : res.status == 413 ? "the request is too large"
                           : res.status == 431 ? "the request's header lines are too many or too long"
                           : res.status == 503 ? "the robot is busy: too many connections; try again in a minute"
                           : res.status == 400 ? "the request cannot be read"
                                               : "the request cannot be served";
  if (api) {
    res.set_content(ErrorJson(text), "application/json; charset=utf-8");
  } else {
    res.set_content(MessagePage(PageLanguage(req), std::to_string(res.status), text), "text/html; charset=utf-8");
  }
}

std::string Robot::Parts::DoorRefusal(Refusal why, const std::string& method, const std::string& target) {
  Request req;
  Response res;
  req.method = method;
  const std::size_t query = target.find('?');
  req.path = httplib::detail::decode_url(target.substr(0, query), false);
  if (query != std::string::npos) httplib::detail::parse_query_text(target.substr(query + 1), req.params);
  res.status = static_cast<int>(why);
  const bool upload = method == "POST" && (req.path == "/submit" || req.path == "/api/logs");
  const bool api = req.path.rfind("/api/", 0) == 0;
  const Language language = api ? ApiLanguage(req) : PageLanguage(req);
  if (upload && why == Refusal::kTooLarge) {
    Refuse(res, api, language, 413, UploadTooLarge(language));
  } else if (upload && why == Refusal::kTooSlow) {
    Refuse(res, api, language, 408, UploadTooSlow(language));
  } else {
    GeneralError(req, res);
  }
  std::string answer = "HTTP/1.1 " + std::to_string(res.status) + " " + Reason(res.status) + "\r\n";
  for (const auto& [name, value] : kSecurityHeaders) answer += std::string(name) + ": " + value + "\r\n";
  for (const auto& [name, value] : res.headers) {
    if (name != "Content-Type") answer += name + ": " + value + "\r\n";
  }
  if (why == Refusal::kBusy) answer += "Retry-After: 60\r\n";
  answer += "Content-Type: " + res.get_header_value("Content-Type") + "\r\n";
  answer += "Content-Length: " + std::to_string(res.body.size()) + "\r\nConnection: close\r\n\r\n";
  return answer + res.body;
}

}  // namespace robot
