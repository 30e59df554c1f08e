// The contest's exchange: one field, a number of three or four digits other than 599.
#pragma once

#include <string>

namespace stats {

// GetExchgCount(): the number of exchange fields, always 1.
int GetExchgCount();

// IsValidExchg()
// 1 when `flag` (the host's seventh argument) is 0 and `exchange` is three or
// four decimal digits other than "599"; else 0.
int IsValidExchg(const std::string& exchange, int flag);

}  // namespace stats
