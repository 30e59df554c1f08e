// The organiser's download of every log: GET /api/logs.zip, the zip of every upload
// (robot/logs_archive.h) written into the robot's folder, streamed from the disk and
// removed as soon as it is open.
#pragma once

#include <functional>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace robot {

class Store;

struct OrganiserGate {
  // Whether the request carries the organiser's token or session.
  std::function<bool(const httplib::Request&)> allowed;
  // Answers a request that does not (401).
  std::function<void(const httplib::Request&, httplib::Response&)> refuse;
};

// AddArchiveRoute()
// Adds GET /api/logs.zip to `server`; archives left by a robot that stopped while
// writing one are removed from `robotDir` first.
void AddArchiveRoute(httplib::Server& server, Store& store, const std::string& robotDir, OrganiserGate gate);

}  // namespace robot
