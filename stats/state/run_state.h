// The values one scoring run accumulates between two calls of ResetStats0.
#pragma once

#include <cstdint>
#include <string>

#include "stats/region_list/region_list.h"
#include "stats/state/band_list.h"
#include "stats/state/qso_store.h"
#include "stats/ubn/check_file.h"

namespace stats {

struct RunState {
  QsoStore qsoStore;              // counted QSOs, in the order they were added
  BandList bandList;              // distinct bands of counted QSOs
  std::string ownCall;            // the station's own call sign for the run
  std::string startDateText;      // the run's start date for the summary header
  std::int32_t reportRequested = 0;  // nonzero: the run writes the Cabrillo log
  CheckFile checkFile;            // the run's UBN check file
  RegionList regionList;          // the listed stations
};

}  // namespace stats
