// Drives the plug-in's core and the reference model through the same host calls
// (runs, QSOs added and removed, call checks, result requests, edits of the
// region list) and reports the first answer, message box or file that differs.
// The differential test takes its choices from a seeded generator, the exports
// fuzzer from its input.
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
  // Returns a number below `n`.
  using Choose = std::function<unsigned(unsigned n)>;

  // Creates `base`/plugin and `base`/model, each with a region list, and hooks the
  // message boxes, the dialogs and program starts; the destructor undoes both.
  Differential(std::filesystem::path base, Choose choose);
  ~Differential();
  Differential(const Differential&) = delete;
  Differential& operator=(const Differential&) = delete;

  // Step()
  // Makes one host call chosen by `choose` on both sides. Returns what differs,
  // or an empty text when both gave the same answers, boxes and store size.
  std::string Step();

  // SameFiles()
  // What differs between the files the two sides wrote, or an empty text.
  std::string SameFiles(const std::string& when) const;

 private:
  QsoArguments Qso();
  void SetRegionList(const std::string* content);
  const std::string& Pick(const std::vector<std::string>& from) { return from[choose_(from.size())]; }

  std::filesystem::path base_, plugin_, model_, previous_;
  Choose choose_;
  std::vector<std::string> pluginBoxes_, modelBoxes_;
  std::vector<std::string>* boxes_ = nullptr;
  PluginState state_;
  Model reference_;
  int steps_ = 0;
};

}  // namespace stats::reference
