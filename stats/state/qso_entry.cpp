#include "stats/state/qso_entry.h"

namespace stats {

bool SameQso(const QsoEntry& a, const QsoEntry& b) {
  // The numbers first: they tell two QSOs of one station apart soonest.
  return a.freqKhz == b.freqKhz && a.time == b.time && a.call == b.call &&
         a.aux23 == b.aux23 && a.aux30 == b.aux30 && a.band == b.band && a.mode == b.mode &&
         a.rstRcvd == b.rstRcvd && a.rstSent == b.rstSent && a.rcvdNumber == b.rcvdNumber &&
         a.sentNumber == b.sentNumber;
}

bool SameRecord(const QsoEntry& a, const QsoEntry& b) {
  return SameQso(a, b) && a.listedCall == b.listedCall;
}

}  // namespace stats
