// The inside of the front door, shared by its loop (front_door.cpp) and its reading of
// requests (front_door_reading.cpp).
#pragma once

#include <httplib.h>
#include <sys/epoll.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "robot/front_door.h"
#include "robot/http_framing.h"

namespace robot {
namespace door {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 65536;
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
  ChunkedBody chunks;
  std::string out;
  std::size_t sent = 0;
  int file = -1;            // the answer's rest, sent after `out`
  std::size_t fileBytes = 0;
  off_t fileSent = 0;
  std::size_t held = 0;     // bytes counted in the door's buffered total
  std::size_t dropped = 0;  // bytes read and dropped after the answer
  bool counted = true;      // in its address's count (until answered)
};

}  // namespace door

using door::Clock;
using door::Connection;

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
  std::vector<std::pair<std::uint64_t, DoorAnswer>> answers;

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
  void Answer(std::uint64_t id, DoorAnswer answer);
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

}  // namespace robot
