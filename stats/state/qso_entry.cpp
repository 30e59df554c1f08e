#include "stats/state/qso_entry.h"

bool SameQso(const QsoEntry& a, const QsoEntry& b) {
  return a.call == b.call && a.aux23 == b.aux23 && a.aux30 == b.aux30 && a.band == b.band &&
         a.mode == b.mode && a.rstRcvd == b.rstRcvd && a.rstSent == b.rstSent &&
         a.rcvdNumber == b.rcvdNumber && a.sentNumber == b.sentNumber &&
         a.freqKhz == b.freqKhz && a.time == b.time;
}

bool SameRecord(const QsoEntry& a, const QsoEntry& b) {
  return SameQso(a, b) && a.listedCall == b.listedCall;
}
