// Helpers shared by the tests: a scratch working folder, whole-file access,
// a recorder for message boxes, dates and QSOs.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "stats/accounting/accounting.h"  // the QSO records, and the date type

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

// The file's bytes, or an empty text when it cannot be read; and writing them
// exactly, creating missing folders.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Records every message box instead of showing it, while the object lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  // (text, caption) of each box, in order.
  const std::vector<std::pair<std::string, std::string>>& Boxes() const { return boxes_; }

 private:
  std::vector<std::pair<std::string, std::string>> boxes_;
};

// A valid date-time.
COleDateTime MakeDate(int year, int month, int day, int hour = 0, int minute = 0,
                      int second = 0);

// A complete valid QSO in any of the plug-in's records (stats::QsoArguments,
// QsoEntry or RefusedQso): Q1ABC works Q2XYZ on 20 m CW at 14025.999 kHz on
// 2026-12-06 at 09:05, 599 001 sent, 579 017 received; `change` overrides fields.
template <class Q = stats::QsoArguments, class Change = void (*)(Q&)>
Q Qso(Change change = [](Q&) {}) {
  Q q;
  q.call = "Q2XYZ", q.mode = "CW", q.time = MakeDate(2026, 12, 6, 9, 5);
  q.rstSent = "599", q.sentNumber = "001", q.rstRcvd = "579", q.rcvdNumber = "017";
  if constexpr (requires { q.ownCall; }) q.ownCall = "Q1ABC";
  if constexpr (requires { q.band; }) q.band = "20";
  if constexpr (requires { q.freqHz; }) q.freqHz = 14025999;
  if constexpr (requires { q.freqKhz; }) q.freqKhz = 14025;
  change(q);
  return q;
}

}  // namespace testing_support
