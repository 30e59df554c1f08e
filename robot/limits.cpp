#include "robot/limits.h"

#include <algorithm>

namespace robot {

BodyLimit BodyLimitOf(const std::string& method, const std::string& target, const RobotOptions& options) {
  if (method != "POST") return {};
  const std::string path = target.substr(0, target.find('?'));
  if (path == "/submit" || path == "/api/logs") {
    return {options.maxUploadKb * 1024, std::chrono::duration_cast<std::chrono::milliseconds>(options.uploadTime)};
  }
  if (path == "/organiser/login" || path == "/organiser/logout" || path == "/organiser/check" ||
      path == "/organiser/publish" || path == "/organiser/decisions" || path == "/api/check" ||
      path == "/api/publish" || path == "/api/decisions") {
    return {kMaxFormBytes, std::chrono::duration_cast<std::chrono::milliseconds>(options.ioTimeout)};
  }
  return {};
}

DoorLimits DoorLimitsOf(const RobotOptions& options) {
  DoorLimits limits;
  limits.maxHeadBytes = kMaxHeadBytes;
  limits.maxHeaderLines = kMaxHeaderLines;
  limits.headTime = std::chrono::duration_cast<std::chrono::milliseconds>(options.ioTimeout);
  limits.answerTime = std::chrono::duration_cast<std::chrono::milliseconds>(options.uploadTime);
  limits.perAddress = static_cast<std::size_t>(std::max(1, options.connectionsPerAddress));
  limits.maxConnections = kMaxConnections;
  // Four of the largest uploads arriving at once, and room for the forms.
  limits.maxBuffered = 4 * options.maxUploadKb * 1024 + (8u << 20);
  limits.grace = std::chrono::duration_cast<std::chrono::milliseconds>(options.grace);
  limits.workers = options.workers;
  return limits;
}

}  // namespace robot
