#include "stats/accounting/accounting.h"

#include <optional>

#include "stats/region_list/region_list.h"

namespace {

RefusedQso ToRefused(const QsoArguments& qso) {
  RefusedQso refused;
  refused.ownCall = qso.ownCall;
  refused.call = qso.call;
  refused.time = qso.time;
  refused.freqHz = qso.freqHz;
  refused.mode = qso.mode;
  refused.rstSent = qso.rstSent;
  refused.rstRcvd = qso.rstRcvd;
  refused.sentNumber = qso.sentNumber;
  refused.rcvdNumber = qso.rcvdNumber;
  return refused;
}

QsoEntry ToEntry(const QsoArguments& qso) {
  QsoEntry entry;
  entry.call = qso.call;
  entry.aux23 = qso.aux23;
  entry.aux30 = qso.aux30;
  entry.band = qso.band;
  entry.mode = qso.mode;
  entry.rstRcvd = qso.rstRcvd;
  entry.rstSent = qso.rstSent;
  entry.rcvdNumber = qso.rcvdNumber;
  entry.sentNumber = qso.sentNumber;
  entry.freqKhz = static_cast<std::int32_t>(qso.freqHz / 1000);
  entry.time = qso.time;
  return entry;
}

}  // namespace

bool IsContestMode(const std::string& mode) {
  return mode == "CW" || mode == "BPSK63" || mode == "BPSK62" || mode == "SSB";
}

int AddData(RunState& run, const QsoArguments& qso) {
  if (!IsContestMode(qso.mode)) {
    run.checkFile.WriteRefusal(ToRefused(qso), kNoContestModeReason);
    return 0;
  }
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) {
    run.checkFile.WriteRefusal(ToRefused(qso), kNoRxNumberReason);
    return 0;
  }

  run.bandList.AppendIfNew(qso.band);
  QsoEntry entry = ToEntry(qso);

  // The lookup may show a message box, inside which the host may call again:
  // the store is read only after it.
  const bool listed = FindInRegionList(run.regionList, qso.call) != 0;
  if (listed && !run.qsoStore.HasCall(qso.call)) entry.listedCall = qso.call;

  // The same QSO stored twice would be scored twice, whichever record carries
  // the multiplier.
  if (!run.qsoStore.FindFirstSameQso(entry)) run.qsoStore.Append(entry);
  return 1;
}

int RemoveData(RunState& run, const QsoArguments& qso) {
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) return 0;

  QsoStore& store = run.qsoStore;
  std::optional<QsoStore::Slot> slot = store.FindFirstSameQso(ToEntry(qso));
  if (!slot) slot = store.FindFirstCallModeBand(qso.call, qso.mode, qso.band);
  if (!slot) return 1;

  const std::string listedCall = store.AtSlot(*slot).listedCall;
  store.Remove(*slot);
  if (!listedCall.empty()) {
    // The station keeps its multiplier on its next QSO, if it has one.
    if (const std::optional<QsoStore::Slot> next = store.FindFirstCall(qso.call)) {
      store.SetListedCall(*next, listedCall);
    }
  }
  return 1;
}
