// The API: uploads and receipts for the entrants' programs (zelta submit), the check
// and the publishing for the organiser's token.
#include "robot/json_text.h"
#include "robot/service_parts.h"

namespace robot {

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
    if (!check->HasResults()) {
      return SendJson(res, 409, ErrorJson("there are no results to publish: run the check first"));
    }
    Publish();
    SendJson(res, 200, JsonObject().Bool("published", true).Text("results", "/results/").Done() + "\n");
  });
}

}  // namespace robot
