// What the robot reads of an upload: the log scored through the plug-in exactly as
// `zelta score` scores it, and every problem on the way, line by line.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "adjudication/verdicts.h"
#include "host/plugin_driver.h"
#include "robot/store.h"

namespace robot {

// An upload that is no log the robot can take; nothing of it is stored.
class UploadRefused : public std::runtime_error {
 public:
  enum class Reason { kEmpty, kNotALog, kNoCall, kBadCall, kNoQso };
  UploadRefused(Reason reason, const std::string& detail)
      : std::runtime_error(detail), reason_(reason) {}
  Reason reason() const { return reason_; }

 private:
  Reason reason_;
};

// IsCallSign()
// Whether `call` can be the own call of a log: 3 to 20 ASCII letters, digits and
// '/', with at least one letter and one digit.
bool IsCallSign(const std::string& call);

class LogIntake {
 public:
  // Loads `copies` private copies of the plug-in at `pluginPath`, each with its own
  // state and its own folder under `hostFolder` (the robot's own), so that as many
  // logs are scored side by side. Each copy's folder has a copy of the region list
  // `regionList` (the contest's) that is made afresh whenever the organiser changes
  // the list. `rules` tell which QSOs lie outside the period. Throws
  // std::runtime_error when the plug-in cannot be loaded or the region list cannot be
  // copied.
  LogIntake(const std::string& pluginPath, const std::string& hostFolder,
            const std::string& regionList, const adjudication::Rules& rules, int copies = 1);
  ~LogIntake();

  // Read()
  // The receipt's findings for `bytes` (everything but the e-mail address). Each copy
  // of the plug-in scores one log at a time; calls beyond the copies wait their turn.
  // Throws UploadRefused for an empty upload, a text that is no log, a log without
  // its own call or with one that is no call sign, and a log without any QSO.
  UploadSummary Read(const std::string& bytes);

 private:
  struct Copy {
    zelta::StatsPlugin plugin;
    std::string folder;
    std::string copied;         // the size and time of the list copied last, or empty
    bool busy = false;
  };
  // Copies the region list into the copy's folder when it is not the one copied last;
  // false when it cannot.
  bool RefreshRegionList(Copy& copy);

  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<std::unique_ptr<Copy>> copies_;
  std::string regionList_;
  adjudication::Rules rules_;
};

// EnterFolderOnThisThread()
// Makes `folder` the current directory of the calling thread alone (the thread stops
// sharing its current directory with the rest of the process the first time), since
// the plug-in finds its files through it. Throws std::runtime_error.
void EnterFolderOnThisThread(const std::string& folder);

}  // namespace robot
