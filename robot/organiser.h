// The organiser's access: one secret token kept in a file only its owner may read,
// given as a Bearer header by programs and once, through a login form, by a browser,
// which then holds a session cookie; forms of a session carry its CSRF token.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace robot {

class OrganiserAccess {
 public:
  // Reads the token at `tokenPath`, or creates it (mode 0600) when there is none.
  // Throws std::runtime_error when it cannot, or when others may read the file.
  explicit OrganiserAccess(const std::string& tokenPath);

  // Whether the token file was made just now.
  bool Created() const { return created_; }

  // IsToken()
  // Whether `given` is the token, compared in constant time.
  bool IsToken(std::string_view given) const;

  // NewSession()
  // A new session's cookie value. At most kMaxSessions live at once (the oldest
  // goes first); each lasts kSessionLife.
  std::string NewSession();

  // SessionCsrf()
  // The CSRF token of the live session whose cookie value is `cookie`.
  std::optional<std::string> SessionCsrf(std::string_view cookie);

  void EndSession(std::string_view cookie);

  static constexpr std::size_t kMaxSessions = 32;
  static constexpr std::chrono::hours kSessionLife{12};

 private:
  struct Session {
    std::string csrf;
    std::chrono::steady_clock::time_point expires;
  };
  std::string token_;
  bool created_ = false;
  std::mutex mutex_;
  std::map<std::string, Session> sessions_;  // by the SHA-256 of the cookie value
};

}  // namespace robot
