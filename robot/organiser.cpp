#include "robot/organiser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "robot/secrets.h"
#include "text/ascii_text.h"

namespace robot {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

OrganiserAccess::OrganiserAccess(const std::string& tokenPath) {
  int fd = open(tokenPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd >= 0) {
    const std::string token = RandomHex(32);
    const std::string line = token + "\n";
    const bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
                         fsync(fd) == 0;
    close(fd);
    if (!written) {
      unlink(tokenPath.c_str());
      Fail("cannot write the organiser's token " + tokenPath);
    }
    token_ = token;
    created_ = true;
    return;
  }
  if (errno != EEXIST) Fail("cannot create the organiser's token " + tokenPath);
  fd = open(tokenPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) Fail("cannot read the organiser's token " + tokenPath);
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    close(fd);
    Fail("cannot read the organiser's token " + tokenPath);
  }
  if ((status.st_mode & 077) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    throw std::runtime_error("the organiser's token " + tokenPath +
                             " may be read by others: make it the owner's alone (chmod 600)");
  }
  char buffer[256];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  close(fd);
  if (got < 0) Fail("cannot read the organiser's token " + tokenPath);
  token_ = std::string(text::TrimBlanks(std::string_view(buffer, static_cast<std::size_t>(got))));
  if (token_.size() < 32) {
    throw std::runtime_error("the organiser's token " + tokenPath +
                             " is shorter than 32 characters: remove it and a new one is made");
  }
}

bool OrganiserAccess::IsToken(std::string_view given) const { return SameSecret(given, token_); }

std::string OrganiserAccess::NewSession() {
  const std::string cookie = RandomHex(32);
  const auto now = std::chrono::steady_clock::now();
  const std::lock_guard lock(mutex_);
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    it = it->second.expires <= now ? sessions_.erase(it) : std::next(it);
  }
  while (sessions_.size() >= kMaxSessions) {
    auto oldest = sessions_.begin();
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
      if (it->second.expires < oldest->second.expires) oldest = it;
    }
    sessions_.erase(oldest);
  }
  sessions_[Sha256Hex(cookie)] = Session{RandomHex(32), now + kSessionLife};
  return cookie;
}

std::optional<std::string> OrganiserAccess::SessionCsrf(std::string_view cookie) {
  if (cookie.empty()) return std::nullopt;
  const std::string key = Sha256Hex(cookie);
  const std::lock_guard lock(mutex_);
  const auto it = sessions_.find(key);
  if (it == sessions_.end() || it->second.expires <= std::chrono::steady_clock::now()) {
    return std::nullopt;
  }
  return it->second.csrf;
}

void OrganiserAccess::EndSession(std::string_view cookie) {
  const std::lock_guard lock(mutex_);
  sessions_.erase(Sha256Hex(cookie));
}

}  // namespace robot
