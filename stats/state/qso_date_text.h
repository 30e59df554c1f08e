// The QSO time as the check file and the Cabrillo log show it.
#pragma once

#include <string>

#include "stats/state/ole_date_time.h"

namespace stats {

// QsoDateText()
// `time` rounded to the nearest second, then written year-month-day hour-minute
// with no separator between hour and minute: 2026-12-06 0905. A null or invalid
// time, or one outside the years 100 to 9999, gives an empty text.
std::string QsoDateText(const COleDateTime& time);

}  // namespace stats
