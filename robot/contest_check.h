// The organiser's check, run by the robot: the newest log of every call checked
// exactly as `zelta adjudicate` checks a folder of logs (the same rules file and
// region list). The check runs on a thread of its own with a private copy of the
// plug-in, so that uploads, scored by the robot's own copy, go on while it runs.
//
// The results are snapshots, each a folder that is never changed once in place: a
// check writes CONTESTDIR/results.writing/ and, when every file is written and on
// disk, swaps it into place as CONTESTDIR/results/ (the newest results, which the
// organiser reads); publishing copies those into CONTESTDIR/published/ the same way,
// and /results/ serves only that. A check that fails leaves both as they were.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "robot/pages.h"
#include "robot/store.h"

namespace robot {

struct CheckPaths {
  std::string contestDir;   // rules.ini, Plugins/zelta.dom; results/ is written there
  std::string robotDir;     // the robot's folder: the check's scratch files go under it
  std::string pluginPath;   // the plug-in file; the check loads a copy of it
};

class ContestCheck {
 public:
  ContestCheck(Store& store, CheckPaths paths);
  ~ContestCheck();
  ContestCheck(const ContestCheck&) = delete;
  ContestCheck& operator=(const ContestCheck&) = delete;

  // Start()
  // Starts a check; false when one is running. `number` gets the check's number.
  bool Start(std::uint64_t* number = nullptr);

  // Wait()
  // Waits until check `number` has ended and returns where things stand then.
  CheckStatus Wait(std::uint64_t number);

  CheckStatus Status();

  // Publish()
  // Puts a copy of the newest results in place of the published ones; false when
  // there are none. Throws std::runtime_error when the copy cannot be written (the
  // published results are then as they were).
  bool Publish();

  // Published()
  // Whether results are published; never waits for a check or a publishing.
  bool Published() const;

  // ResultsFolder(), PublishedFolder()
  // The newest results (the organiser's), and the published ones (everyone's).
  std::string ResultsFolder() const;
  std::string PublishedFolder() const;

  // Stop()
  // Ends a running check at its next step (it fails as stopped) and waits for it.
  void Stop();

 private:
  void Run(std::uint64_t number);
  void Progress(std::string_view stage, std::size_t done, std::size_t total);

  Store& store_;
  CheckPaths paths_;
  std::mutex mutex_;
  std::condition_variable ended_;
  CheckStatus status_;
  std::uint64_t started_ = 0;   // checks started
  std::uint64_t finished_ = 0;  // checks ended
  std::mutex folders_;          // held while a snapshot is put in place or copied
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// OpenResults()
// Opens the results folder `folder` to every reader of the machine (folders 0755, files
// 0644) once published, or keeps it the owner's alone (0700, 0600) until then.
void OpenResults(const std::string& folder, bool open);

// CheckSummaryJson()
// The JSON answer of a finished check: {"logs": N, "finished": "...", "table": [...]}.
std::string CheckSummaryJson(const CheckStatus& status);

}  // namespace robot
