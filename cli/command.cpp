#include "cli/command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logs/log_notes.h"

namespace fs = std::filesystem;

namespace cli {

int Failure(const std::string& text) {
  Note(text);
  return kFailed;
}

void Note(const std::string& text) { std::fprintf(stderr, "zelta: %s\n", text.c_str()); }

void PrintBytes(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

bool ReadLogFile(const std::string& path, std::string& bytes, std::string& error) {
  const std::string shown = logs::ShownText(path, 200);
  std::error_code ec;
  const fs::file_status status = fs::status(fs::path(path), ec);
  if (fs::is_directory(status)) {
    error = shown + " is a folder, not a log file";
    return false;
  }
  if (fs::is_character_file(status) || fs::is_block_file(status) || fs::is_socket(status)) {
    error = shown + " is a device, not a log file";
    return false;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot read the log " + shown + ": " +
            (errno != 0 ? std::strerror(errno) : "the system gives no reason");
    return false;
  }
  bytes.clear();
  // The size is known for a file, so the text is held once, without slack.
  if (fs::is_regular_file(status)) bytes.reserve(static_cast<std::size_t>(fs::file_size(path, ec)));
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    error = "cannot read the log " + shown + ": " + std::strerror(readErrno);
    return false;
  }
  if (bytes.empty()) {
    error = shown + " is empty, not a log";
    return false;
  }
  return true;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return false;
  bytes = std::move(content).str();
  return true;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace cli
