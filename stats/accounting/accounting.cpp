#include "stats/accounting/accounting.h"

#include <optional>
#include <utility>

#include "stats/region_list/region_list.h"

namespace stats {

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

// The record of a QSO; takes the texts over from `qso`.
QsoEntry ToEntry(QsoArguments&& qso) {
  QsoEntry entry;
  entry.call = std::move(qso.call);
  entry.aux23 = std::move(qso.aux23);
  entry.aux30 = std::move(qso.aux30);
  entry.band = std::move(qso.band);
  entry.mode = std::move(qso.mode);
  entry.rstRcvd = std::move(qso.rstRcvd);
  entry.rstSent = std::move(qso.rstSent);
  entry.rcvdNumber = std::move(qso.rcvdNumber);
  entry.sentNumber = std::move(qso.sentNumber);
  entry.freqKhz = static_cast<std::int32_t>(qso.freqHz / 1000);
  entry.time = qso.time;
  return entry;
}

}  // namespace

bool IsContestMode(const std::string& mode) {
  return mode == "CW" || mode == "BPSK63" || mode == "BPSK62" || mode == "SSB";
}

int AddData(RunState& run, QsoArguments qso) {
  if (!IsContestMode(qso.mode)) {
    run.checkFile.WriteRefusal(ToRefused(qso), kNoContestModeReason);
    return 0;
  }
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) {
    run.checkFile.WriteRefusal(ToRefused(qso), kNoRxNumberReason);
    return 0;
  }

  run.bandList.AppendIfNew(qso.band);
  QsoEntry entry = ToEntry(std::move(qso));

  // The lookup may show a message box, inside which the host may call again:
  // the store is read only after it.
  // Each listed station's multiplier rides on one stored QSO. Earlier QSOs with
  // the station may have come while the list was missing or did not name it
  // yet: the call check then promised the multiplier, and this QSO gives it.
  const bool listed = FindInRegionList(run.regionList, entry.call) != 0;
  if (listed && !run.qsoStore.HasListedCall(entry.call)) entry.listedCall = entry.call;

  // The same QSO stored twice would be scored twice, whichever record carries
  // the multiplier.
  if (!run.qsoStore.FindFirstSameQso(entry)) run.qsoStore.Append(std::move(entry));
  return 1;
}

int RemoveData(RunState& run, const QsoArguments& qso) {
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) return 0;

  QsoStore& store = run.qsoStore;
  std::optional<QsoStore::Slot> slot = store.FindFirstSameQso(ToEntry(QsoArguments(qso)));
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

}  // namespace stats
