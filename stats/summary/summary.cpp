#include "stats/summary/summary.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/message_box.h"
#include "stats/cabrillo_export/cabrillo_log.h"
#include "stats/state/plugin_state.h"
#include "stats/region_list/region_list.h"
#include "stats/settings/settings_store.h"
#include "stats/state/band_list.h"

namespace stats {

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

// The figures of every band, in one walk through the store. The region list is
// asked once per distinct call; each lookup may show a box, inside which the host
// may call again, so the store is walked by index with the bound checked each time.
std::unordered_map<std::string, BandFigures> CountBands(RunState& run) {
  std::unordered_map<std::string, BandFigures> figures;
  std::unordered_map<std::string, std::unordered_set<std::string>> countedListedCalls;
  for (std::size_t b = 0; b < run.bandList.Count(); ++b) figures.emplace(run.bandList.At(b), BandFigures());
  std::unordered_map<std::string, bool> listedByCall;
  listedByCall.reserve(run.qsoStore.Count());
  RegionList::Batch oneLookAtTheFile(run.regionList);
  for (std::size_t i = 0; i < run.qsoStore.Count(); ++i) {
    std::string call, mode, band, listedCall;
    {
      const QsoEntry& entry = run.qsoStore.At(i);
      if (entry.call.empty() || figures.count(entry.band) == 0) continue;
      call = entry.call;
      mode = entry.mode;
      band = entry.band;
      listedCall = entry.listedCall;
    }
    auto known = listedByCall.find(call);
    const bool listed = known != listedByCall.end()
                            ? known->second
                            : listedByCall.emplace(call, FindInRegionList(run.regionList, call) != 0)
                                  .first->second;
    BandFigures& bandFigures = figures[band];
    ++bandFigures.qsos;
    if (listed) {
      ++bandFigures.listed;
    } else if (mode == "CW") {
      ++bandFigures.unlistedCw;
    } else if (mode == "SSB") {
      ++bandFigures.unlistedSsb;
    }
    if (mode == "CW") ++bandFigures.cw;
    if (mode == "SSB") ++bandFigures.ssb;
    if (!listedCall.empty() && countedListedCalls[band].insert(listedCall).second) {
      ++bandFigures.multipliers;
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
  std::vector<std::string> keys;
  keys.reserve(bands.Count());
  for (std::size_t i = 0; i < bands.Count(); ++i) keys.push_back(BandSortKey(bands.At(i)));
  for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
    for (std::size_t j = i + 1; j < keys.size(); ++j) {
      // std::string compares bytes as unsigned values, as memcmp does.
      if (keys[i] < keys[j]) {
        keys[i].swap(keys[j]);
        bands.Swap(i, j);
      }
    }
  }
}

std::int32_t ClampScore(std::int64_t score) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(score, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

const char* GetResult(PluginState& state, int* score) {
  // A new request: the texts of earlier requests may go. Texts handed out by
  // requests made from inside this one's boxes are kept beside its own.
  state.summaryTexts.clear();
  std::string text = "\t    ZELTA TROPHY " + state.run.startDateText + " \r\n\t\t" +
                     kParticipantWord + ": " + state.run.ownCall +
                     "\r\n\tQSOs\tPoints\tConferenc CW\tSSB\t\r\n";

  SortBandList(state.run.bandList);

  std::int32_t totalPoints = 0;
  std::int32_t totalMultipliers = 0;
  std::int32_t totalCw = 0;
  std::int32_t totalSsb = 0;
  const std::unordered_map<std::string, BandFigures> allFigures = CountBands(state.run);
  for (std::size_t b = 0; b < state.run.bandList.Count(); ++b) {
    const std::string band = state.run.bandList.At(b);
    const auto found = allFigures.find(band);
    const BandFigures figures = found != allFigures.end() ? found->second : BandFigures();
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
    platform::ShowMessageBox(confirmation, kOutputCaption, platform::MessageIcon::kInformation,
                             true);
    if (score != nullptr) *score = -1;
  }

  state.summaryTexts.push_back(std::move(text));
  return state.summaryTexts.back().c_str();
}

}  // namespace stats
