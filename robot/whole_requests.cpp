// The library's handlers on the front door's whole requests, and the door's own
// answers in the form of the robot's.
#include <sys/socket.h>

#include "robot/json_text.h"
#include "robot/service_parts.h"

namespace robot {
namespace {

// A whole request read from memory, its answer written to memory.
class MemoryStream : public httplib::Stream {
 public:
  explicit MemoryStream(const WholeRequest& request) : request_(request) {}
  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const std::size_t count = std::min(size, request_.bytes.size() - read_);
    std::copy_n(request_.bytes.data() + read_, count, ptr);
    read_ += count;
    return static_cast<ssize_t>(count);
  }
  ssize_t write(const char* ptr, size_t size) override {
    answer.append(ptr, size);
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

 private:
  const WholeRequest& request_;
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
  const int socket = svr_sock_.exchange(INVALID_SOCKET);
  if (socket == INVALID_SOCKET || ::listen(socket, SOMAXCONN) != 0) return -1;
  return socket;
}

std::string Server::Handle(const WholeRequest& request) {
  MemoryStream stream(request);
  bool closed = false;
  process_request(stream, true, closed, nullptr);
  return std::move(stream.answer);
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
