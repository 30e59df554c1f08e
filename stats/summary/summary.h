// The score summary that GetResult0 returns: points, multipliers and the score,
// recomputed from the run's QSO store at every request, and the entry log when the
// run was started with the report requested.
#pragma once

#include <cstdint>
#include <string>

namespace stats {

class BandList;
struct PluginState;

// BandSortKey()
// `band` with "0" put in front until it is at least 20 characters long, so that
// band texts of up to 20 digits compare as numbers.
std::string BandSortKey(const std::string& band);

// SortBandList()
// Puts the band texts in descending order of their keys (160, 80, 40, 10), in
// place; bands with equal keys are never swapped.
void SortBandList(BandList& bands);

// ClampScore()
// The score as the host takes it: the 64-bit product limited to the 32-bit range.
std::int32_t ClampScore(std::int64_t score);

// GetResult()
// Sorts the band list, builds the summary into `state.summaryTexts` (header, one
// line per band, the total line, the score line), stores the score through `score`
// (when not null) and writes it under "Claimed" in the settings file. When the run
// was started with the report requested, it then writes the Cabrillo log from every
// stored QSO, tells the operator in an "Output" box, and stores -1 through `score`.
// Returns the summary's characters (Windows-1251), valid until the next call
// begins: a text returned from inside one of this call's boxes stays valid too.
//
// A message box runs a message loop in which the host may call the plug-in again,
// even to start a new run: the store and the band list are walked by index with
// the bounds checked at every step, and nothing inside them is held across a box.
const char* GetResult(PluginState& state, int* score);

}  // namespace stats
