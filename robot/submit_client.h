// The operator's side of the robot: a log handed in from the terminal.
#pragma once

#include <string>

namespace robot {

struct SubmitAnswer {
  int status = 0;          // the HTTP status; 0 when the robot could not be reached
  std::string body;        // the receipt or {"error": ...}
  std::string error;       // why the robot could not be reached
};

// SubmitLog()
// Posts `bytes` to URL/api/logs (URL: http:// or https://, host, optional port and
// path) with ?replaces=RECEIPT when `replaces` is given.
SubmitAnswer SubmitLog(const std::string& url, const std::string& bytes, const std::string& replaces);

}  // namespace robot
