#include "tests/reference/differential_driver.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/launch.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "stats/accounting/accounting.h"
#include "stats/call_check/call_check.h"
#include "stats/interface/run_lifecycle.h"
#include "stats/summary/summary.h"

namespace stats::reference {
namespace {

namespace fs = std::filesystem;

// Few distinct values, so that repeats, removals of counted QSOs and hand-overs of
// the multiplier mark come up often; calls that are prefixes or case variants of
// listed ones, and band texts whose order is tricky.
const std::vector<std::string> kCalls = {"Q9LST", "Q9MUL", "Q9L", "Q2XYZ", "q9lst", "", "Q9LST/P"};
const std::vector<std::string> kBands = {"20", "160", "3.5", "020", "20 "};
const std::vector<std::string> kModes = {"CW", "CW", "SSB", "BPSK63", "BPSK62", "RTTY", "cw", ""};
const std::vector<std::string> kRcvdNumbers = {"1", "2", "1", ""};
// Region lists with and without a final line end.
const std::vector<std::string> kRegionLists = {
    "Q9LST\r\nQ9MUL\r\n", "Q9MUL Moscow\r\nQ9LST/P\r\nQ7ABC", "Q9L\nQ9LST", "",
    "q9lst\r\nQ9MULT\r\nQ2XY\r\n", "Q9LST\r\nQ9MUL"};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// 2026-12-06 at `hour`:`minute`.
COleDateTime Date(int hour, int minute) {
  COleDateTime date;
  date.dt = 46362.0 + (hour * 60 + minute) / 1440.0;
  return date;
}

}  // namespace

Differential::Differential(fs::path base, Choose choose)
    : base_(std::move(base)), plugin_(base_ / "plugin"), model_(base_ / "model"),
      previous_(fs::current_path()), choose_(std::move(choose)) {
  fs::create_directories(plugin_ / "Plugins");
  fs::create_directories(model_ / "Plugins");
  platform::SetStartProgramHook([](const std::string&) {});
  // The header dialog of a run with report is "cannot be shown", as without a terminal.
  platform::SetModalDialogHook([](platform::DialogForm&) { return platform::kDialogNotShown; });
  platform::SetMessageBoxHook([this](const std::string& text, const std::string& caption) {
    if (boxes_ != nullptr) boxes_->push_back(caption + ": " + text);
  });
  SetRegionList(&kRegionLists[0]);
}

Differential::~Differential() {
  platform::SetStartProgramHook(nullptr);
  platform::SetMessageBoxHook(nullptr);
  platform::SetModalDialogHook(nullptr);
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(base_, ignored);
}

void Differential::SetRegionList(const std::string* content) {
  for (const fs::path& side : {plugin_, model_}) {
    const fs::path list = side / "Plugins" / "zelta.dom";
    if (content == nullptr) {
      fs::remove(list);
      continue;
    }
    // A new file each time: the edit must be seen whatever the clock's resolution.
    const fs::path temp = side / "Plugins" / "zelta.new";
    std::ofstream(temp, std::ios::binary) << *content;
    fs::rename(temp, list);
  }
}

QsoArguments Differential::Qso() {
  QsoArguments q;
  q.ownCall = "Q1ABC";
  q.call = Pick(kCalls);
  q.time = Date(static_cast<int>(choose_(3)), static_cast<int>(choose_(2)));
  q.freqHz = 14000000 + choose_(3) * 1500;
  q.mode = Pick(kModes);
  q.rstSent = choose_(2) ? "599" : "59";
  q.rstRcvd = "579";
  q.sentNumber = choose_(12) ? "001" : "";
  q.rcvdNumber = Pick(kRcvdNumbers);
  q.aux23 = choose_(8) ? "" : "x";
  q.band = Pick(kBands);
  return q;
}

std::string Differential::SameFiles(const std::string& when) const {
  for (const fs::path* dir : {&model_, &plugin_}) {
    for (const auto& entry : fs::recursive_directory_iterator(*dir)) {
      if (!entry.is_regular_file()) continue;
      const fs::path name = fs::relative(entry.path(), *dir);
      if (ReadBytes(plugin_ / name) != ReadBytes(model_ / name)) {
        return name.string() + " differs " + when;
      }
    }
  }
  return std::string();
}

std::string Differential::Step() {
  const std::string where = " at step " + std::to_string(steps_++);
  // Runs `call` with the side's folder current and its message boxes recorded.
  auto onPlugin = [&](auto call) {
    fs::current_path(plugin_);
    boxes_ = &pluginBoxes_;
    return call();
  };
  auto onModel = [&](auto call) {
    fs::current_path(model_);
    boxes_ = &modelBoxes_;
    return call();
  };
  std::string differs;
  const unsigned action = choose_(100);
  if (action < 1) {
    const int report = choose_(3) == 0 ? 1 : 0;
    const std::string ownCall = choose_(4) ? "Q1ABC" : "Q1ABC/P";
    differs = SameFiles("before a new run" + where);
    if (!differs.empty()) return differs;
    const int a = onPlugin([&] { return ResetStats(state_, report, ownCall, Date(13, 45)); });
    const int b = onModel([&] { return reference_.ResetStats(report, ownCall, Date(13, 45)); });
    if (a != b) differs = "ResetStats";
  } else if (action < 50) {
    const QsoArguments q = Qso();
    const int a = onPlugin([&] { return AddData(state_.run, q); });
    const int b = onModel([&] { return reference_.AddData(q); });
    if (a != b) differs = "AddData of " + q.call + " " + q.mode + " " + q.band;
  } else if (action < 70) {
    const QsoArguments q = Qso();
    const int a = onPlugin([&] { return RemoveData(state_.run, q); });
    const int b = onModel([&] { return reference_.RemoveData(q); });
    if (a != b) differs = "RemoveData of " + q.call + " " + q.mode + " " + q.band;
  } else if (action < 88) {
    const std::string call = Pick(kCalls), band = Pick(kBands), mode = Pick(kModes);
    // The whole buffer is compared: neither side may write past its message.
    char messageA[64], messageB[64];
    std::memset(messageA, '#', sizeof messageA);
    std::memset(messageB, '#', sizeof messageB);
    const int a = onPlugin([&] { return CheckCall(state_.run, call, band, mode, messageA); });
    const int b = onModel([&] { return reference_.CheckCall(call, band, mode, messageB); });
    if (a != b || std::memcmp(messageA, messageB, sizeof messageA) != 0) {
      differs = "CheckCall " + call + " " + band + " " + mode;
    }
  } else if (action < 95) {
    int scoreA = 0, scoreB = 0;
    const bool withScore = choose_(4) != 0;
    const std::string a =
        onPlugin([&] { return std::string(GetResult(state_, withScore ? &scoreA : nullptr)); });
    const std::string b = onModel([&] { return reference_.GetResult(withScore ? &scoreB : nullptr); });
    if (a != b || scoreA != scoreB) return "summary" + where + ":\n" + a + "\nmodel:\n" + b;
    differs = SameFiles("after a result" + where);
    if (!differs.empty()) return differs;
  } else if (action < 97) {
    SetRegionList(nullptr);
  } else {
    SetRegionList(&Pick(kRegionLists));
  }
  boxes_ = nullptr;
  if (differs.empty() && pluginBoxes_ != modelBoxes_) differs = "message boxes";
  if (differs.empty() && state_.run.qsoStore.Count() != reference_.QsoCount()) differs = "QSO count";
  return differs.empty() ? differs : differs + where;
}

}  // namespace stats::reference
