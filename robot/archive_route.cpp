#include "robot/archive_route.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "robot/json_text.h"
#include "robot/logs_archive.h"
#include "robot/secrets.h"
#include "robot/store.h"

namespace fs = std::filesystem;

namespace robot {
namespace {

constexpr char kPrefix[] = "archive-";

// An open file that is closed when the last answer reading it is done.
struct OpenFile {
  int fd = -1;
  ~OpenFile() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

void AddArchiveRoute(httplib::Server& server, Store& store, const std::string& robotDir, OrganiserGate gate) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(robotDir, ec)) {
    if (entry.path().filename().string().rfind(kPrefix, 0) == 0) fs::remove(entry.path(), ec);
  }
  server.Get("/api/logs.zip", [&store, robotDir, gate](const httplib::Request& req, httplib::Response& res) {
    if (!gate.allowed(req)) return gate.refuse(req, res);
    const std::string path = (fs::path(robotDir) / (kPrefix + RandomHex(8) + ".zip")).string();
    WriteLogsArchive(store, path);
    auto file = std::make_shared<OpenFile>();
    file->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // Open, the file needs no name: removed now, it goes when the answer is sent.
    unlink(path.c_str());
    struct stat status {};
    if (file->fd < 0 || fstat(file->fd, &status) != 0) {
      res.status = 500;
      res.set_content(ErrorJson("the archive cannot be read back"), "application/json; charset=utf-8");
      return;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_header("Content-Disposition", "attachment; filename=\"logs.zip\"");
    res.set_content_provider(
        static_cast<std::size_t>(status.st_size), "application/zip",
        [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          char buffer[65536];
          const ssize_t got = pread(file->fd, buffer, std::min(length, sizeof buffer), static_cast<off_t>(offset));
          if (got <= 0) return false;
          return sink.write(buffer, static_cast<std::size_t>(got));
        });
  });
}

}  // namespace robot
