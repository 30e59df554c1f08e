// A whole contest with ground truth: the entrants' Cabrillo logs as the plug-in
// writes them, the region list, the rules, and the true verdict of every QSO.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "adjudication/verdicts.h"

namespace adjudication {

struct SimulationOptions {
  int stations = 50;         // entrants and stations that send no log
  int qsosPerStation = 100;  // about how many QSOs each station makes
  std::uint64_t seed = 1;
  bool faults = true;        // miscopied calls and numbers, missing QSOs, dupes, clocks
                             // several minutes wrong, QSOs out of the period or mode
};

struct TruthEntry {
  std::string file;
  std::size_t line = 0;      // the QSO's line in the file
  std::string call;          // the worked call as logged
  Verdict verdict = Verdict::kOk;
  std::string correct;       // busted-call: the call; busted-exchange: the number sent
};

struct SimulatedContest {
  std::vector<std::pair<std::string, std::string>> logs;  // file name, Cabrillo bytes
  std::string regionList;                                 // one call a line
  std::string rules;                                      // the rules file's text
  std::vector<TruthEntry> truth;                          // every logged QSO
  std::map<std::string, int> clockOffsets;                // call: minutes fast (+) or slow
  std::size_t qsoCount = 0;
};

// Simulate()
// The same contest for the same options on every system. Under the default rules
// the truth is what a correct checker decides.
SimulatedContest Simulate(const SimulationOptions& options);

// TruthCsv()
// "file,line,call,verdict,correct", one QSO a line.
std::string TruthCsv(const SimulatedContest& contest);

// WriteSimulation()
// DIR/logs/<call>.cbr, DIR/Plugins/zelta.dom, DIR/rules.ini and DIR/truth.csv
// (folders made as needed). False, with the file in `error`, when a write fails.
bool WriteSimulation(const SimulatedContest& contest, const std::string& dir, std::string& error);

}  // namespace adjudication
