// Synthetic contest logs for the benchmarks: the same log for a given size on
// every run, with the mix of a real one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "stats/state/ole_date_time.h"

namespace bench {

// One QSO with the texts a host passes for it.
struct SyntheticQso {
  std::string call;
  std::string band;        // "160", "80", "40", "20", "15" or "10"
  std::string mode;        // a contest mode, or now and then one that is refused
  std::string rstSent;
  std::string rstRcvd;
  std::string sentNumber;  // the own serial, "001" on
  std::string rcvdNumber;
  COleDateTime time;       // a minute apart, from 6 December 2026 00:00 UTC
  unsigned int freqHz = 0;
};

struct SyntheticLog {
  std::vector<SyntheticQso> qsos;
  std::vector<std::string> listedCalls;  // the region list's stations, in file order
  std::string regionListText;            // the file: one station and a name per line
};

// MakeSyntheticLog()
// `count` QSOs on six bands; about 2% in a refused mode, the rest in the four
// contest modes. About a fifth are with stations of a 2,000-line region list;
// the others are with a pool of about count / 3 stations, so calls repeat across
// bands and modes as they do in a contest. Deterministic.
SyntheticLog MakeSyntheticLog(std::size_t count);

// AdifText()
// The log as an ADIF file for the stand-in host (BPSK62 is written as PSK63).
std::string AdifText(const SyntheticLog& log, const std::string& ownCall);

}  // namespace bench
