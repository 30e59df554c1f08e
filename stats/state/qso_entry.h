// One counted QSO, as the store keeps it.
#pragma once

#include <cstdint>
#include <string>

#include "stats/state/ole_date_time.h"

namespace stats {

struct QsoEntry {
  std::string call;        // the worked station's call sign
  std::string aux23;       // host text kept for record identity only
  std::string aux30;       // host text kept for record identity only
  std::string band;        // the band as the host names it
  std::string mode;        // "CW", "BPSK63", "BPSK62" or "SSB"
  std::string rstRcvd;
  std::string rstSent;
  std::string rcvdNumber;  // never empty in a stored record
  std::string sentNumber;  // never empty in a stored record
  std::string listedCall;  // == call on the first stored QSO with a listed station
  std::int32_t freqKhz = 0;
  COleDateTime time;
};

// SameQso()
// Whether two records describe the same QSO: every field equal byte for byte,
// except `listedCall`, which says only where the record stands in the store.
bool SameQso(const QsoEntry& a, const QsoEntry& b);

// SameRecord()
// Every field equal, `listedCall` included.
bool SameRecord(const QsoEntry& a, const QsoEntry& b);

}  // namespace stats
