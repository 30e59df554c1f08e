// The API: uploads and receipts for the entrants' programs (zelta submit), the check,
// the publishing and the zip of every log for the organiser's token.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "robot/json_text.h"
#include "robot/logs_archive.h"
#include "robot/secrets.h"
#include "robot/service_parts.h"

namespace robot {
namespace {

// The zips of every log are made in the robot's folder under this prefix.
constexpr char kArchivePrefix[] = "archive-";

// An open file, closed when the last answer reading it is done.
struct OpenFile {
  int fd = -1;
  ~OpenFile() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

void Robot::Parts::ApiRoutes() {
  server.Post("/api/logs", [this](const Request& req, Response& res, const ContentReader& reader) {
    Upload(req, res, reader, true);
  });
  server.Get("/api/receipts/([^/]{1,100})", [this](const Request& req, Response& res) {
    if (const std::optional<robot::Upload> upload = store->Find(req.matches[1])) {
      return SendJson(res, 200, ReceiptJson(*upload));
    }
    SendJson(res, 404, ErrorJson("there is no receipt with this number"));
  });
  server.Get("/api/received", [this](const Request&, Response& res) {
    SendJson(res, 200, ReceivedJson(store->Newest()));
  });
  server.Get("/api/check", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, true);
    const CheckStatus status = check->Status();
    SendJson(res, 200, JsonObject()
                           .Bool("running", status.running)
                           .Text("stage", status.stage)
                           .Number("done", static_cast<long long>(status.done))
                           .Number("total", static_cast<long long>(status.total))
                           .Text("finished", status.finished)
                           .Text("error", status.error)
                           .Text("results_checked", status.resultsChecked)
                           .Bool("published", status.published)
                           .Text("published_checked", status.publishedChecked)
                           .Done() + "\n");
  });
  server.Post("/api/check", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, true);
    std::uint64_t number = 0;
    if (!check->Start(&number)) {
      return SendJson(res, 409, ErrorJson("a check is running already; ask GET /api/check how far it is"));
    }
    const CheckStatus status = check->Wait(number);
    if (!status.error.empty()) {
      return SendJson(res, status.logs == 0 ? 409 : 500, ErrorJson("the check failed: " + status.error));
    }
    SendJson(res, 200, CheckSummaryJson(status));
  });
  server.Post("/api/publish", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, true);
    if (!Publish()) {
      return SendJson(res, 409, ErrorJson("there are no results to publish: run the check first"));
    }
    SendJson(res, 200, JsonObject()
                           .Bool("published", true)
                           .Text("results", "/results/")
                           .Text("checked", check->Status().publishedChecked)
                           .Done() + "\n");
  });

  // Every upload in one zip, written into the robot's folder and sent from the disk.
  // A robot stopped while writing one left it behind: removed now.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(robotDir, ec)) {
    if (entry.path().filename().string().rfind(kArchivePrefix, 0) == 0) fs::remove(entry.path(), ec);
  }
  server.Get("/api/logs.zip", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, true);
    const std::string path = (robotDir / (kArchivePrefix + RandomHex(8) + ".zip")).string();
    WriteLogsArchive(*store, path);
    auto file = std::make_shared<OpenFile>();
    file->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // Open, the file needs no name: removed now, it goes when the answer is sent.
    unlink(path.c_str());
    struct stat status {};
    if (file->fd < 0 || fstat(file->fd, &status) != 0) {
      return SendJson(res, 500, ErrorJson("the archive cannot be read back"));
    }
    res.set_header("Cache-Control", "no-store");
    res.set_header("Content-Disposition", "attachment; filename=\"logs.zip\"");
    res.set_content_provider(
        static_cast<std::size_t>(status.st_size), "application/zip",
        [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          char buffer[65536];
          const ssize_t got = pread(file->fd, buffer, std::min(length, sizeof buffer), static_cast<off_t>(offset));
          return got > 0 && sink.write(buffer, static_cast<std::size_t>(got));
        });
  });
}

}  // namespace robot
