// Counting and refusing QSOs: what AddData0 and RemoveData0 do to the run.
#pragma once

#include <cstdint>
#include <string>

#include "stats/state/ole_date_time.h"
#include "stats/state/run_state.h"

namespace stats {

// The AddData0 / RemoveData0 arguments that the plug-in reads, copied.
struct QsoArguments {
  std::string ownCall;     // 1: the logging station's call (check-file line only)
  std::string call;        // 2
  COleDateTime time;       // 3 (a null pointer gives a null date)
  std::uint32_t freqHz = 0;  // 8
  std::string mode;        // 9
  std::string rstSent;     // 10
  std::string rstRcvd;     // 11
  std::string sentNumber;  // 12
  std::string rcvdNumber;  // 13
  std::string aux23;       // 23
  std::string aux30;       // 30
  std::string band;        // 32
};

// IsContestMode()
// "CW", "BPSK63", "BPSK62" or "SSB", byte for byte.
bool IsContestMode(const std::string& mode);

// AddData()
// Counts the QSO: 1 when it counts (stored unless the same QSO is already
// stored), 0 when it is refused, with its line in the check file. A QSO with a
// listed station carries the station's `listedCall` when no stored QSO carries
// it yet: the station's first QSO, or its first since the list named it.
int AddData(RunState& run, QsoArguments qso);

// RemoveData()
// Takes the QSO out of the store: the first record that is the same QSO, else
// the first with the same call, mode and band. When the removed record carried
// the station's multiplier, the station's next stored QSO takes it over.
// 0 when either number is empty (nothing done), else 1.
int RemoveData(RunState& run, const QsoArguments& qso);

}  // namespace stats
