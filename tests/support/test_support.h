// Helpers shared by the tests: a scratch working folder, whole-file access,
// a recorder for message boxes, and dates.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "stats/state/ole_date_time.h"

namespace testing_support {

// A fresh empty folder that is the current directory while the object lives
// (the plug-in resolves its files against the current directory).
class ScopedWorkDir {
 public:
  ScopedWorkDir();
  ~ScopedWorkDir();
  ScopedWorkDir(const ScopedWorkDir&) = delete;
  ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// The file's bytes, or an empty text when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
// Writes `bytes` exactly, creating missing folders.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Records every message box instead of showing it, while the object lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  // (text, caption) of each box, in order.
  const std::vector<std::pair<std::string, std::string>>& Boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  std::vector<std::pair<std::string, std::string>> boxes_;
};

// A valid date-time.
COleDateTime MakeDate(int year, int month, int day, int hour = 0, int minute = 0,
                      int second = 0);

}  // namespace testing_support
