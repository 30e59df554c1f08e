// The verdicts of a contest's QSOs from the logs alone: clock offsets, one-to-one
// matching of each QSO with the other station's record of it, and the verdict of
// every QSO. No scoring here: the plug-in's refusals come in as flags.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "adjudication/verdicts.h"
#include "platform/ole_calendar.h"

namespace adjudication {

// SecondsOf()
// Seconds since 1 January 1970 of a UTC calendar time.
std::int64_t SecondsOf(const platform::CalendarTime& time);

// EditsApart()
// How many edits turn `a` into `b`, each edit one character substituted, inserted or
// deleted, or two neighbours swapped (no character edited twice): 0 for equal texts,
// 1 or 2, and kFarApart for three or more.
inline constexpr int kFarApart = 3;
int EditsApart(std::string_view a, std::string_view b);

// OneCharApart()
// Whether `a` and `b` are exactly one edit apart. Equal texts are not.
bool OneCharApart(std::string_view a, std::string_view b);

// MedianOffsetMinutes()
// The clock offset, in whole minutes, that a log's time differences in seconds
// (its time minus its partners') point to: their median, rounded. 0 for fewer than
// kMinPairsForOffset differences, too few to tell whose clock is wrong.
inline constexpr std::size_t kMinPairsForOffset = 5;
int MedianOffsetMinutes(std::vector<std::int64_t> differences);

// CrossCheck()
// Fills in every log's clockOffsetMinutes and every QSO's verdict, correct and
// other. `refused[l][q]` says whether the plug-in refused QSO q of log l. The
// logs' calls, files and QSOs must be set; calls are compared as they stand (the
// readers give them in capitals).
void CrossCheck(Contest& contest, const std::vector<std::vector<bool>>& refused);

}  // namespace adjudication
