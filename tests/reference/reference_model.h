// The reference model: the plug-in's behaviour written the simplest way, walking
// plain lists and reading the region list file from the top at every lookup.
// It is slow on purpose and obviously right; the differential test holds the
// plug-in to it, and the benchmarks run it beside the plug-in.
//
// It shares with the plug-in only what does not depend on the store's layout:
// the check-file writer, the Cabrillo writer, the settings store and the date text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stats/accounting/accounting.h"
#include "stats/state/ole_date_time.h"
#include "stats/settings/entrant_details.h"
#include "stats/state/qso_entry.h"
#include "stats/ubn/check_file.h"

namespace stats::reference {

class Model {
 public:
  // The same operations as the exports, with the same results.
  int ResetStats(int reportRequested, const std::string& ownCall, const COleDateTime& first);
  int AddData(const QsoArguments& qso);
  int RemoveData(const QsoArguments& qso);
  int CheckCall(const std::string& call, const std::string& band, const std::string& mode,
                char* message);
  std::string GetResult(int* score);

  std::size_t QsoCount() const { return store_.size(); }

 private:
  int FindInRegionList(const std::string& call);

  std::vector<QsoEntry> store_;
  std::vector<std::string> bands_;
  std::string ownCall_;
  std::string startDateText_;
  std::int32_t reportRequested_ = 0;
  CheckFile checkFile_;
  bool missingReported_ = false;
  EntrantDetails details_;
};

}  // namespace stats::reference
