// Moved to stats/state/ole_date_time.h; kept for the code outside the plug-in that still
// includes it here.
#pragma once

#include "stats/state/ole_date_time.h"
