// zelta adjudicate, also run by `zelta demo --organiser`.
#pragma once

#include <optional>
#include <string>

#include "cli/host_run.h"

namespace cli {

struct AdjudicateOptions {
  HostOptions host;
  std::string logDir;
  std::optional<std::string> rules, json, out;
  std::string lang = "ru";
};

// RunAdjudicate()
// Checks every log of the folder, prints the table and writes what was asked for.
int RunAdjudicate(const AdjudicateOptions& options);

}  // namespace cli
