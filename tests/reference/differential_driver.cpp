#include "tests/reference/differential_driver.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

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
using namespace std::string_literals;

// Few distinct values, so that repeats, removals of counted QSOs and hand-overs of
// the multiplier mark come up often; calls that are prefixes or case variants of
// listed ones, and band texts whose order is tricky.
const std::vector<std::string> kOwnCalls = {"Q1ABC/P", "Q1ABC", "Q1ABC", "Q1ABC"};
const std::vector<std::string> kCalls = {"Q9LST", "Q9MUL", "Q9L", "Q2XYZ", "q9lst", "", "Q9LST/P"};
const std::vector<std::string> kBands = {"20", "160", "3.5", "020", "20 "};
const std::vector<std::string> kModes = {"CW", "CW", "SSB", "BPSK63", "BPSK62", "RTTY", "cw", ""};
const std::vector<std::string> kRcvdNumbers = {"1", "2", "1", ""};
// Region lists with and without a final line end.
const std::vector<std::string> kRegionLists = {
    "Q9LST\r\nQ9MUL\r\n", "Q9MUL Moscow\r\nQ9LST/P\r\nQ7ABC", "Q9L\nQ9LST", "",
    "q9lst\r\nQ9MULT\r\nQ2XY\r\n", "Q9LST\r\nQ9MUL",
    // as editors save it: UTF-8 with its mark, UTF-16 with its mark (and a unit beyond ASCII)
    "\xEF\xBB\xBFQ9LST\r\nQ9MUL", "\xFE\xFF\0Q\09\0L\x04\x10\0\n\0Q\09\0M\0U\0L"s};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

Differential::Differential(fs::path base, Source source)
    : base_(std::move(base)), plugin_(base_ / "plugin"), model_(base_ / "model"),
      previous_(fs::current_path()), source_(std::move(source)) {
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
    const fs::path list = side / "Plugins" / "zelta.dom", temp = side / "Plugins" / "zelta.new";
    if (content == nullptr) {
      fs::remove(list);
    } else {  // a new file each time: the edit must be seen whatever the clock's resolution
      std::ofstream(temp, std::ios::binary) << *content;
      fs::rename(temp, list);
    }
  }
}

// Mostly a text of `fixed`; with raw input now and then one of the few raw texts
// `drawn` so far, some of them drawn anew.
const std::string& Differential::Text(std::vector<std::string>& drawn,
                                      const std::vector<std::string>& fixed) {
  if (!source_.raw || Below(4) != 0) return Pick(fixed);
  std::string& text = drawn[Below(drawn.size())];
  if (Below(3) == 0) {
    text = source_.raw(12);
    text.resize(std::strlen(text.c_str()));  // the host's texts end at a zero byte
  }
  return text;
}

// 2026-12-06 `minutes` after midnight; with raw input now and then any day value and status.
COleDateTime Differential::Time(unsigned minutes) {
  COleDateTime date{46362.0 + minutes / 1440.0};
  if (source_.raw && Below(8) == 0) {
    std::string bytes = source_.raw(sizeof date);  // the day value, then the status
    bytes.resize(sizeof date);
    std::memcpy(&date, bytes.data(), sizeof date);
  }
  return date;
}

// The fields are drawn in their order (a braced list is evaluated left to right).
QsoArguments Differential::Qso() {
  const unsigned when = Below(6);  // in three hours, two minutes each
  return {.ownCall = "Q1ABC", .call = Text(calls_, kCalls), .time = Time(60 * (when / 2) + when % 2),
          .freqHz = 14000000 + Below(3) * 1500, .mode = Text(modes_, kModes),
          .rstSent = Below(2) ? "599" : "59", .rstRcvd = "579", .sentNumber = Below(12) ? "001" : "",
          .rcvdNumber = Text(numbers_, kRcvdNumbers), .aux23 = Below(8) ? "" : "x",
          .band = Text(bands_, kBands)};
}

std::string Differential::SameFiles(const std::string& when) const {
  for (const fs::path* dir : {&model_, &plugin_}) {
    for (const auto& entry : fs::recursive_directory_iterator(*dir)) {
      const fs::path name = fs::relative(entry.path(), *dir);
      if (entry.is_regular_file() && ReadBytes(plugin_ / name) != ReadBytes(model_ / name)) {
        return name.string() + " differs " + when;
      }
    }
  }
  return std::string();
}

std::string Differential::Step() {
  const std::string where = " at step " + std::to_string(steps_++);
  // Runs each side's call in its folder with its message boxes recorded.
  auto both = [&](auto onPlugin, auto onModel) {
    fs::current_path(plugin_);
    boxes_ = &pluginBoxes_;
    auto a = onPlugin();
    fs::current_path(model_);
    boxes_ = &modelBoxes_;
    auto b = onModel();
    boxes_ = nullptr;
    return std::pair(a, b);
  };
  std::string differs;
  const unsigned action = Below(100);
  if (action < 1) {
    const int report = Below(3) == 0 ? 1 : 0;
    const std::string ownCall = Text(calls_, kOwnCalls);
    const COleDateTime first = Time(13 * 60 + 45);
    if (differs = SameFiles("before a new run" + where); !differs.empty()) return differs;
    const auto [a, b] = both([&] { return ResetStats(state_, report, ownCall, first); },
                             [&] { return reference_.ResetStats(report, ownCall, first); });
    if (a != b) differs = "ResetStats";
  } else if (action < 70) {
    const bool add = action < 50;
    const QsoArguments q = Qso();
    const auto [a, b] =
        add ? both([&] { return AddData(state_.run, q); }, [&] { return reference_.AddData(q); })
            : both([&] { return RemoveData(state_.run, q); }, [&] { return reference_.RemoveData(q); });
    if (a != b) differs = (add ? "AddData of " : "RemoveData of ") + q.call + " " + q.mode + " " + q.band;
  } else if (action < 88) {
    const std::string call = Text(calls_, kCalls), band = Text(bands_, kBands), mode = Text(modes_, kModes);
    // The whole buffer is compared: neither side may write past its message.
    std::string messageA(64, '#'), messageB(64, '#');
    const auto [a, b] = both([&] { return CheckCall(state_.run, call, band, mode, messageA.data()); },
                             [&] { return reference_.CheckCall(call, band, mode, messageB.data()); });
    if (a != b || messageA != messageB) {
      differs = "CheckCall " + call + " " + band + " " + mode;
    }
  } else if (action < 95) {
    int scoreA = 0, scoreB = 0;
    const bool withScore = Below(4) != 0;
    const auto [a, b] =
        both([&] { return std::string(GetResult(state_, withScore ? &scoreA : nullptr)); },
             [&] { return reference_.GetResult(withScore ? &scoreB : nullptr); });
    if (a != b || scoreA != scoreB) return "summary" + where + ":\n" + a + "\nmodel:\n" + b;
    if (differs = SameFiles("after a result" + where); !differs.empty()) return differs;
  } else if (action < 97) {
    SetRegionList(nullptr);
  } else if (!source_.raw || Below(2) != 0) {
    SetRegionList(&Pick(kRegionLists));
  } else {
    // Raw bytes, then the raw calls drawn so far a line each, the last line end or not.
    std::string list = source_.raw(40);
    for (const std::string& call : calls_) list += (Below(2) ? "\r\n" : "\n") + call;
    if (Below(2) != 0) list += "\r\n";
    // As it is, as UTF-8 with its mark, or as UTF-16 (either byte order) with its mark.
    const unsigned form = Below(4);
    if (form == 1) list.insert(0, "\xEF\xBB\xBF");
    if (form >= 2) {
      std::string wide = form == 2 ? "\xFF\xFE" : "\xFE\xFF";
      for (char c : list) wide += form == 2 ? std::string{c, '\0'} : std::string{'\0', c};
      list = wide;
    }
    SetRegionList(&list);
  }
  if (differs.empty() && pluginBoxes_ != modelBoxes_) differs = "message boxes";
  if (differs.empty() && state_.run.qsoStore.Count() != reference_.QsoCount()) differs = "QSO count";
  return differs.empty() ? differs : differs + where;
}

}  // namespace stats::reference
