#include "stats/summary/summary.h"

#include <algorithm>
#include <limits>
#include <set>

#include "platform/message_box.h"
#include "stats/cabrillo_export/cabrillo_log.h"
#include "stats/interface/plugin_state.h"
#include "stats/region_list/region_list.h"
#include "stats/settings/settings_store.h"
#include "stats/state/band_list.h"

namespace {

// "Участник" (participant), in Windows-1251.
constexpr char kParticipantWord[] = "\xD3\xF7\xE0\xF1\xF2\xED\xE8\xEA";
constexpr char kOutputCaption[] = "Output";
constexpr std::size_t kBandSortKeyLength = 20;

std::string Number(std::int64_t value) { return std::to_string(value); }

// The figures of one band line.
struct BandFigures {
  std::int32_t qsos = 0;
  std::int32_t listed = 0;
  std::int32_t unlistedCw = 0;
  std::int32_t unlistedSsb = 0;
  std::int32_t cw = 0;
  std::int32_t ssb = 0;
  std::int32_t multipliers = 0;
  std::int32_t Points() const { return 3 * listed + 2 * unlistedCw + unlistedSsb; }
};

// Counts the stored QSOs of `band`. Each lookup in the region list may show a box.
BandFigures CountBand(RunState& run, const std::string& band) {
  BandFigures figures;
  std::set<std::string> countedListedCalls;  // multipliers already counted on this band
  for (std::size_t i = 0; i < run.qsoStore.Count(); ++i) {
    std::string call, mode, listedCall;
    {
      const QsoEntry& entry = run.qsoStore.At(i);
      if (entry.band != band || entry.call.empty()) continue;
      call = entry.call;
      mode = entry.mode;
      listedCall = entry.listedCall;
    }
    ++figures.qsos;
    if (FindInRegionList(run.regionList, call) != 0) {
      ++figures.listed;
    } else if (mode == "CW") {
      ++figures.unlistedCw;
    } else if (mode == "SSB") {
      ++figures.unlistedSsb;
    }
    if (mode == "CW") ++figures.cw;
    if (mode == "SSB") ++figures.ssb;
    if (!listedCall.empty() && countedListedCalls.insert(listedCall).second) {
      ++figures.multipliers;
    }
  }
  return figures;
}

// Hands every stored QSO, in store order, to the Cabrillo writer.
void AddQsoLines(PluginState& state) {
  for (std::size_t i = 0; i < state.run.qsoStore.Count(); ++i) {
    const QsoEntry& entry = state.run.qsoStore.At(i);
    AddQsoLine(state.entrantDetails, entry.call, entry.freqKhz, CabrilloModeCode(entry.mode),
               entry.time, entry.rstSent, entry.sentNumber, entry.rstRcvd, entry.rcvdNumber);
  }
}

}  // namespace

std::string BandSortKey(const std::string& band) {
  if (band.size() >= kBandSortKeyLength) return band;
  return std::string(kBandSortKeyLength - band.size(), '0') + band;
}

void SortBandList(BandList& bands) {
  for (std::size_t i = 0; i + 1 < bands.Count(); ++i) {
    for (std::size_t j = i + 1; j < bands.Count(); ++j) {
      // std::string compares bytes as unsigned values, as memcmp does.
      if (BandSortKey(bands.At(i)) < BandSortKey(bands.At(j))) bands.Swap(i, j);
    }
  }
}

std::int32_t ClampScore(std::int64_t score) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(score, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

const char* GetResult(PluginState& state, int* score) {
  state.summaryText.clear();
  // Built aside and kept at the end: a call from inside a box replaces summaryText.
  std::string text = "\t    ZELTA TROPHY " + state.run.startDateText + " \r\n\t\t" +
                     kParticipantWord + ": " + state.run.ownCall +
                     "\r\n\tQSOs\tPoints\tConferenc CW\tSSB\t\r\n";

  SortBandList(state.run.bandList);

  std::int32_t totalPoints = 0;
  std::int32_t totalMultipliers = 0;
  std::int32_t totalCw = 0;
  std::int32_t totalSsb = 0;
  for (std::size_t b = 0; b < state.run.bandList.Count(); ++b) {
    const std::string band = state.run.bandList.At(b);
    const BandFigures figures = CountBand(state.run, band);
    text += band + "\t " + Number(figures.qsos) + "\t " + Number(figures.Points()) + "\t\t   " +
            Number(figures.cw) + "\t  " + Number(figures.ssb) + "\r\n";
    totalPoints += figures.Points();
    totalMultipliers += figures.multipliers;
    totalCw += figures.cw;
    totalSsb += figures.ssb;
  }
  text += "Total\t " + Number(static_cast<std::int64_t>(state.run.qsoStore.Count())) + "\t " +
          Number(totalPoints) + "\t    " + Number(totalMultipliers) + "\t   " + Number(totalCw) +
          "\t  " + Number(totalSsb) + "\r\n";

  // Thousands of QSOs times thousands of multipliers leave the 32-bit range.
  const std::int32_t result =
      ClampScore(static_cast<std::int64_t>(totalPoints) * totalMultipliers);
  const std::string scoreText = Number(result);
  text += "\r\n\tScore: " + Number(totalPoints) + "*" + Number(totalMultipliers) + " = " +
          scoreText + "\r\n";
  if (score != nullptr) *score = result;
  WriteSetting(kClaimedKey, scoreText);

  if (state.run.reportRequested != 0) {
    AddQsoLines(state);
    const std::string confirmation = WriteCabrilloLog(state.entrantDetails, scoreText);
    platform::ShowMessageBox(confirmation, kOutputCaption, platform::MessageIcon::Information,
                             true);
    if (score != nullptr) *score = -1;
  }

  state.summaryText = std::move(text);
  return state.summaryText.c_str();
}
