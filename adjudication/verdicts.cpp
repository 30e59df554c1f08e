#include "adjudication/verdicts.h"

namespace adjudication {

std::string_view VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk: return "ok";
    case Verdict::kRefused: return "refused";
    case Verdict::kOutOfPeriod: return "out-of-period";
    case Verdict::kBustedExchange: return "busted-exchange";
    case Verdict::kNil: return "nil";
    case Verdict::kBustedCall: return "busted-call";
    case Verdict::kUnverified: return "unverified";
    case Verdict::kUnique: return "unique";
    case Verdict::kDupe: return "dupe";
  }
  return "unknown";
}

bool KeepsCredit(Verdict verdict, const Rules& rules) {
  return verdict == Verdict::kOk || verdict == Verdict::kUnverified ||
         (verdict == Verdict::kUnique && rules.uniquesCount);
}

}  // namespace adjudication
