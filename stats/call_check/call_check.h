// The call check: is the call being typed a duplicate, or a new multiplier?
#pragma once

#include <string>

#include "stats/state/run_state.h"

namespace stats {

// The new-multiplier message in Windows-1251 (32 characters):
// "Новый мульт ! Член конференции !" (new multiplier, conference member).
inline constexpr char kNewMultiplierText[] =
    "\xCD\xEE\xE2\xFB\xE9 \xEC\xF3\xEB\xFC\xF2 ! "
    "\xD7\xEB\xE5\xED \xEA\xEE\xED\xF4\xE5\xF0\xE5\xED\xF6\xE8\xE8 !";

enum CallCheckResult { kDuplicate = 0, kOrdinary = 1, kNewMultiplier = 2 };

// CheckCall()
// 0 when a stored QSO has the same call, band and mode; else 1 when the call is
// not listed (an empty call never is) or a stored QSO already carries it as
// `listedCall`; else 2, and the message with its terminating zero is copied into
// `message` (at least 33 bytes; not written when null). Changes no state.
int CheckCall(RunState& run, const std::string& call, const std::string& band,
              const std::string& mode, char* message);

}  // namespace stats
