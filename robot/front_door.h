// The robot's front door: one thread with an epoll loop that takes every connection,
// reads each request's head and body within their limits of size and of total time,
// whatever the client's pace, and only then hands the whole request to a worker.
// A slow, idle or endless client costs a socket and a bounded buffer, never a worker;
// the workers run the handlers on complete requests, in memory.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace robot {

// What a request may take once its head is read.
struct BodyLimit {
  std::size_t maxBytes = 0;             // 0: the request may have no body
  std::chrono::milliseconds time{0};    // the longest the body may take to arrive
};

struct DoorLimits {
  std::size_t maxHeadBytes = 16384;          // the request line and header lines together
  std::size_t maxHeaderLines = 64;
  std::chrono::milliseconds headTime{10000}; // from the connection's start to its head's end
  std::chrono::milliseconds answerTime{120000};  // the longest an answer may take to be sent
  std::size_t perAddress = 8;                // connections of one address at once
  std::size_t maxConnections = 512;          // connections at once
  std::size_t maxBuffered = 64u << 20;       // request bytes held at once, all connections
  std::chrono::milliseconds grace{10000};    // after Stop(), for the requests in flight
  int workers = 8;
};

// A request as the door hands it over: the head rebuilt with the body's length
// (Content-Length, never Transfer-Encoding nor Expect), then the body.
struct WholeRequest {
  std::string bytes;
  std::string address;   // the client's
  int port = 0;
};

// An answer: its first bytes in memory and, for a large one, the rest in an unnamed
// file that the door sends from and closes.
struct DoorAnswer {
  std::string bytes;
  int file = -1;
  std::size_t fileBytes = 0;
};

// Why the door answers a request itself.
enum class Refusal {
  kBadRequest = 400,     // no HTTP request, or its framing cannot be read
  kTooSlow = 408,        // the head or the body took too long
  kTooLarge = 413,       // a body larger than its route takes
  kHeaderTooLarge = 431, // too many header lines, or too many bytes of them
  kBusy = 503,           // too many connections of the address, or in all
};

struct DoorHandlers {
  // The limit of a request's body, from its method and target.
  std::function<BodyLimit(const std::string& method, const std::string& target)> bodyLimit;
  // Runs on a worker: the whole HTTP answer to a whole request.
  std::function<DoorAnswer(const WholeRequest& request)> serve;
  // The whole HTTP answer of a refusal (method and target empty when the head was
  // never read). Runs on the door's thread: it must be quick.
  std::function<std::string(Refusal why, const std::string& method, const std::string& target)> refuse;
};

class FrontDoor {
 public:
  // Takes over `listening`, a bound socket listening already. Throws
  // std::runtime_error when epoll cannot be set up.
  FrontDoor(int listening, const DoorLimits& limits, DoorHandlers handlers);
  ~FrontDoor();
  FrontDoor(const FrontDoor&) = delete;
  FrontDoor& operator=(const FrontDoor&) = delete;

  // Run()
  // Serves until Stop(); then takes no more connections, closes the idle ones, lets
  // the others finish for the grace time, closes the rest, waits for the workers.
  void Run();

  // Stop()
  // May be called from any thread, also before Run().
  void Stop();

 private:
  struct Loop;
  std::unique_ptr<Loop> loop_;
};

}  // namespace robot
