#include "stats/call_check/exchange_rule.h"

namespace stats {

int GetExchgCount() { return 1; }

int IsValidExchg(const std::string& exchange, int flag) {
  if (flag != 0) return 0;
  if (exchange == "599") return 0;
  if (exchange.size() != 3 && exchange.size() != 4) return 0;
  for (char c : exchange) {
    if (c < '0' || c > '9') return 0;
  }
  return 1;
}

}  // namespace stats
