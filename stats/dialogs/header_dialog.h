// The header step of a run with report: the entrant's details, edited by the operator.
#pragma once

#include <string>

#include "stats/settings/entrant_details.h"

namespace stats {

// EditEntrantDetails()
// Loads the entrant's details for `ownCall`, lets the operator edit them, and
// saves them on OK. 1 for OK; 0 for Cancel or a dialog that cannot be shown,
// when the details stay as loaded and nothing is written.
int EditEntrantDetails(EntrantDetails& details, const std::string& ownCall);

}  // namespace stats
