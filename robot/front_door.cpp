#include "robot/front_door.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

#include "robot/front_door_loop.h"

namespace robot {

using namespace door;

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
  if (c.file >= 0) close(c.file);
  byFd.erase(c.fd);
  Uncount(c);
  connections.erase(it);
  if (listenerPaused && listening >= 0) {
    Watch(listening, EPOLLIN, EPOLL_CTL_MOD);
    listenerPaused = false;
  }
}

void FrontDoor::Loop::Answer(std::uint64_t id, DoorAnswer answer) {
  Connection& c = connections.at(id);
  Hold(c, 0);
  std::string().swap(c.in);
  std::string().swap(c.body);
  c.out = std::move(answer.bytes);
  c.sent = 0;
  c.file = answer.file;
  c.fileBytes = answer.fileBytes;
  c.fileSent = 0;
  c.stage = Stage::kAnswering;
  c.deadline = Clock::now() + limits.answerTime;
  Watch(c.fd, EPOLLOUT, EPOLL_CTL_MOD);
  Writable(id);
}

void FrontDoor::Loop::Refuse(std::uint64_t id, Refusal why) {
  Connection& c = connections.at(id);
  Answer(id, DoorAnswer{handlers.refuse(why, c.method, c.target)});
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
  // A large answer's rest, from its file: as long as the client takes some of it
  // within the answer's time, it may take its time over the whole.
  while (c.file >= 0 && static_cast<std::size_t>(c.fileSent) < c.fileBytes) {
    const std::size_t rest = c.fileBytes - static_cast<std::size_t>(c.fileSent);
    const ssize_t sent = sendfile(c.fd, c.file, &c.fileSent, std::min<std::size_t>(rest, 1u << 20));
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      if (errno == EINTR) continue;
      return Close(id);
    }
    if (sent == 0) return Close(id);  // the file is shorter than told: the answer is cut
    c.deadline = Clock::now() + limits.answerTime;
  }
  if (c.file >= 0) {
    close(c.file);
    c.file = -1;
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
    DoorAnswer answer;
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
  std::vector<std::pair<std::uint64_t, DoorAnswer>> ready;
  {
    const std::lock_guard lock(answersMutex);
    ready.swap(answers);
  }
  for (auto& [id, answer] : ready) {
    const auto it = connections.find(id);
    if (it == connections.end() || it->second.stage != Stage::kServing) {
      if (answer.file >= 0) close(answer.file);
      continue;
    }
    if (answer.bytes.empty() && answer.file < 0) {
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
