#include "robot/submit_client.h"

#include <httplib.h>

namespace robot {

SubmitAnswer SubmitLog(const std::string& url, const std::string& bytes,
                       const std::string& replaces) {
  SubmitAnswer answer;
  // scheme://host[:port] and the path the robot is served under.
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos || (url.compare(0, schemeEnd, "http") != 0 &&
                                         url.compare(0, schemeEnd, "https") != 0)) {
    answer.error = "the robot's URL must start with http:// or https://";
    return answer;
  }
  const std::size_t pathStart = url.find('/', schemeEnd + 3);
  const std::string origin = url.substr(0, pathStart);
  std::string path = pathStart == std::string::npos ? "" : url.substr(pathStart);
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += "/api/logs";
  if (!replaces.empty()) {
    path += "?replaces=" + httplib::detail::encode_query_param(replaces);
  }
  httplib::Client client(origin);
  if (!client.is_valid()) {
    answer.error = "the robot's URL " + url + " cannot be used";
    return answer;
  }
  client.set_connection_timeout(std::chrono::seconds(10));
  client.set_read_timeout(std::chrono::seconds(120));
  client.set_write_timeout(std::chrono::seconds(120));
  const httplib::Result result = client.Post(path, bytes, "application/octet-stream");
  if (!result) {
    answer.error = httplib::to_string(result.error());
    return answer;
  }
  answer.status = result->status;
  answer.body = result->body;
  return answer;
}

}  // namespace robot
