#include "stats/call_check/call_check.h"

#include <cstring>

#include "stats/region_list/region_list.h"

namespace stats {

int CheckCall(RunState& run, const std::string& call, const std::string& band,
              const std::string& mode, char* message) {
  if (run.qsoStore.HasCallBandMode(call, band, mode)) return kDuplicate;
  if (FindInRegionList(run.regionList, call) == 0) return kOrdinary;
  // The lookup may have shown a message box: the store is read again after it.
  if (run.qsoStore.HasListedCall(call)) return kOrdinary;
  if (message != nullptr) std::memcpy(message, kNewMultiplierText, sizeof kNewMultiplierText);
  return kNewMultiplier;
}

}  // namespace stats
