// Holds the plug-in to the reference model: seeded random sequences of runs,
// QSOs added and removed, call checks, result requests and edits of the region
// list go through both, and every answer and every file must be the same.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/launch.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "stats/accounting/accounting.h"
#include "stats/call_check/call_check.h"
#include "stats/interface/plugin_state.h"
#include "stats/interface/run_lifecycle.h"
#include "stats/summary/summary.h"
#include "tests/reference/reference_model.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::MakeDate;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// Calls from a small alphabet, so that duplicates, prefixes of listed calls and
// listed stations come up often.
const std::vector<std::string> kCalls = {"Q9LST", "Q9MUL", "Q9L",   "Q2XYZ", "Q2XY",
                                         "q9lst", "",      "Q9LST/P", "Q7ABC", "Q9MULT"};
// Band texts whose order is tricky: numbers of different lengths, a decimal
// point, leading zeros, a trailing blank.
const std::vector<std::string> kBands = {"20", "160", "80", "40", "10", "3.5", "7", "020", "20 "};
const std::vector<std::string> kModes = {"CW", "SSB", "BPSK63", "BPSK62", "CW", "SSB", "RTTY", "cw", ""};
const std::vector<std::string> kRegionLists = {
    "Q9LST\r\nQ9MUL\r\n", "Q9MUL Moscow\r\nQ9LST/P\r\nQ7ABC\r\n", "Q9L\nQ9LST\n", "",
    "q9lst\r\nQ9MULT\r\nQ2XY\r\n"};

class Side {
 public:
  explicit Side(fs::path dir) : dir_(std::move(dir)) { fs::create_directories(dir_ / "Plugins"); }
  // Runs `body` with the side's folder as the current directory.
  template <typename Body>
  auto In(Body body) {
    fs::current_path(dir_);
    return body();
  }
  const fs::path& Dir() const { return dir_; }
  std::vector<std::string> boxes;

 private:
  fs::path dir_;
};

class DifferentialTest : public ::testing::Test {
 protected:
  DifferentialTest()
      : base_(fs::temp_directory_path() /
              ("zelta-differential-" + std::to_string(std::random_device()()))),
        plugin_(base_ / "plugin"),
        model_(base_ / "model") {
    previous_ = fs::current_path();
    platform::SetStartProgramHook([](const std::string&) {});
    // The header dialog of a run with report is "cannot be shown", as without a terminal.
    platform::SetModalDialogHook([](platform::DialogForm&) { return platform::kDialogNotShown; });
  }
  ~DifferentialTest() override {
    platform::SetStartProgramHook(nullptr);
    platform::SetMessageBoxHook(nullptr);
    platform::SetModalDialogHook(nullptr);
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(base_, ignored);
  }

  void RecordBoxesOf(Side& side) {
    platform::SetMessageBoxHook([&side](const std::string& text, const std::string& caption) {
      side.boxes.push_back(caption + ": " + text);
    });
  }

  void SetRegionList(const std::string* content) {
    for (Side* side : {&plugin_, &model_}) {
      const fs::path list = side->Dir() / "Plugins" / "zelta.dom";
      if (content == nullptr) {
        fs::remove(list);
      } else {
        // A new file each time: the edit must be seen whatever the clock's resolution.
        const fs::path temp = side->Dir() / "Plugins" / "zelta.new";
        WriteFileBytes(temp, *content);
        fs::rename(temp, list);
      }
    }
  }

  void ExpectSameFiles(const std::string& when) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(model_.Dir())) {
      if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), model_.Dir()).string());
    }
    for (const auto& entry : fs::recursive_directory_iterator(plugin_.Dir())) {
      if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), plugin_.Dir()).string());
    }
    for (const std::string& name : names) {
      ASSERT_EQ(ReadFileBytes(plugin_.Dir() / name), ReadFileBytes(model_.Dir() / name))
          << name << " differs " << when;
    }
  }

  void RunSequence(unsigned seed, int steps) {
    std::mt19937 random(seed);
    auto pick = [&](const std::vector<std::string>& from) -> const std::string& {
      return from[random() % from.size()];
    };
    auto qso = [&]() {
      QsoArguments q;
      q.ownCall = "Q1ABC";
      q.call = pick(kCalls);
      q.time = MakeDate(2026, 12, 6, static_cast<int>(random() % 3), static_cast<int>(random() % 2));
      q.freqHz = 14000000 + static_cast<unsigned>(random() % 3) * 1500;
      q.mode = pick(kModes);
      q.rstSent = random() % 2 ? "599" : "59";
      q.rstRcvd = "579";
      q.sentNumber = random() % 12 ? "001" : "";
      q.rcvdNumber = random() % 12 ? std::to_string(random() % 3) : "";
      q.aux23 = random() % 8 ? "" : "x";
      q.band = pick(kBands);
      return q;
    };

    SetRegionList(&kRegionLists[0]);
    for (int step = 0; step < steps; ++step) {
      const std::string where = "at step " + std::to_string(step) + " of seed " + std::to_string(seed);
      const unsigned action = random() % 100;
      if (action < 3) {
        const int report = random() % 3 == 0 ? 1 : 0;
        const std::string ownCall = random() % 4 ? "Q1ABC" : "Q1ABC/P";
        const COleDateTime first = MakeDate(2026, 12, 6, 13, 45);
        ExpectSameFiles("before a new run " + where);
        RecordBoxesOf(plugin_);
        const int a = plugin_.In([&] { return ResetStats(state_, report, ownCall, first); });
        RecordBoxesOf(model_);
        const int b = model_.In([&] { return reference_.ResetStats(report, ownCall, first); });
        ASSERT_EQ(a, b) << where;
      } else if (action < 55) {
        const QsoArguments q = qso();
        RecordBoxesOf(plugin_);
        const int a = plugin_.In([&] { return AddData(state_.run, q); });
        RecordBoxesOf(model_);
        const int b = model_.In([&] { return reference_.AddData(q); });
        ASSERT_EQ(a, b) << "AddData of " << q.call << " " << q.mode << " " << q.band << " " << where;
      } else if (action < 70) {
        const QsoArguments q = qso();
        const int a = plugin_.In([&] { return RemoveData(state_.run, q); });
        const int b = model_.In([&] { return reference_.RemoveData(q); });
        ASSERT_EQ(a, b) << "RemoveData " << where;
      } else if (action < 88) {
        const std::string call = pick(kCalls), band = pick(kBands), mode = pick(kModes);
        char messageA[40] = "-", messageB[40] = "-";
        RecordBoxesOf(plugin_);
        const int a = plugin_.In([&] { return CheckCall(state_.run, call, band, mode, messageA); });
        RecordBoxesOf(model_);
        const int b = model_.In([&] { return reference_.CheckCall(call, band, mode, messageB); });
        ASSERT_EQ(a, b) << "CheckCall " << call << " " << band << " " << mode << " " << where;
        ASSERT_STREQ(messageA, messageB) << where;
      } else if (action < 95) {
        int scoreA = 0, scoreB = 0;
        RecordBoxesOf(plugin_);
        const std::string a = plugin_.In([&] { return std::string(GetResult(state_, &scoreA)); });
        RecordBoxesOf(model_);
        const std::string b = model_.In([&] { return reference_.GetResult(&scoreB); });
        ASSERT_EQ(a, b) << "summary " << where;
        ASSERT_EQ(scoreA, scoreB) << where;
        ExpectSameFiles("after a result " + where);
      } else if (action < 97) {
        SetRegionList(nullptr);
      } else {
        SetRegionList(&pick(kRegionLists));
      }
      ASSERT_EQ(plugin_.boxes, model_.boxes) << "message boxes " << where;
      ASSERT_EQ(state_.run.qsoStore.Count(), reference_.QsoCount()) << where;
      if (HasFatalFailure()) return;
    }
    ExpectSameFiles("at the end");
  }

  fs::path base_;
  fs::path previous_;
  Side plugin_;
  Side model_;
  PluginState state_;
  reference::Model reference_;
};

TEST_F(DifferentialTest, RandomSequencesGiveTheSameAnswersAndFiles) {
  // ZELTA_DIFFERENTIAL_STEPS makes the long run (the differential_long target).
  const char* steps = std::getenv("ZELTA_DIFFERENTIAL_STEPS");
  const int count = steps ? std::atoi(steps) : 3000;
  for (unsigned seed : {1u, 2u, 3u}) {
    RunSequence(seed, count);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
