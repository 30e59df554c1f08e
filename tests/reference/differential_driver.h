// Drives the plug-in's core and the reference model through the same host calls
// (runs, QSOs added and removed, call checks, result requests, edits of the
// region list) and reports the first answer, message box or file that differs.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "stats/state/plugin_state.h"
#include "tests/reference/reference_model.h"

namespace stats::reference {

class Differential {
 public:
  // Where the choices come from: `below(n)` gives a number below n. `raw(max)`, when
  // set (the fuzzer), gives up to `max` bytes as they come; some texts, dates and
  // region lists are then made of them instead of picked from the fixed lists.
  struct Source {
    std::function<unsigned(unsigned n)> below;
    std::function<std::string(std::size_t max)> raw;
  };

  // Creates `base`/plugin and `base`/model, each with a region list, and hooks the
  // message boxes, the dialogs and program starts; the destructor undoes both.
  Differential(std::filesystem::path base, Source source);
  ~Differential();
  Differential(const Differential&) = delete;
  Differential& operator=(const Differential&) = delete;

  // Makes one host call on both sides. Returns what differs, or an empty text when
  // both gave the same answers, boxes and store size.
  std::string Step();

  // What differs between the files the two sides wrote, or an empty text.
  std::string SameFiles(const std::string& when) const;

 private:
  unsigned Below(unsigned n) { return source_.below(n); }
  const std::string& Pick(const std::vector<std::string>& from) { return from[Below(from.size())]; }
  const std::string& Text(std::vector<std::string>& drawn, const std::vector<std::string>& fixed);
  COleDateTime Time(unsigned minutes);
  QsoArguments Qso();
  void SetRegionList(const std::string* content);

  std::filesystem::path base_, plugin_, model_, previous_;
  Source source_;
  // Raw texts drawn so far, a few of each kind, so that they come up again.
  std::vector<std::string> calls_ = std::vector<std::string>(3), bands_ = std::vector<std::string>(2),
                           modes_ = std::vector<std::string>(2), numbers_ = std::vector<std::string>(2);
  std::vector<std::string> pluginBoxes_, modelBoxes_;
  std::vector<std::string>* boxes_ = nullptr;
  PluginState state_;
  Model reference_;
  int steps_ = 0;
};

}  // namespace stats::reference
