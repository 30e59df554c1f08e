#include "stats/state/qso_store.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace stats {

void QsoStore::Index(Slot slot) {
  const QsoEntry& e = *slots_[slot];
  byCall_[e.call].push_back(slot);
  Mark(e.listedCall);
}

void QsoStore::Mark(const std::string& listedCall) {
  if (listedCall.empty()) return;
  ++listedCount_[listedCall];
  ++marked_;
}

void QsoStore::Unmark(const std::string& listedCall) {
  if (listedCall.empty()) return;
  auto it = listedCount_.find(listedCall);
  if (it != listedCount_.end() && --it->second == 0) listedCount_.erase(it);
  --marked_;
}

void QsoStore::Unindex(Slot slot) {
  const QsoEntry& e = *slots_[slot];
  auto it = byCall_.find(e.call);
  SlotList& list = it->second;
  list.erase(std::find(list.begin(), list.end(), slot));
  if (list.empty()) byCall_.erase(it);
  Unmark(e.listedCall);
}

void QsoStore::Compact() const {
  if (slots_.size() == live_) return;
  std::vector<std::unique_ptr<QsoEntry>> kept;
  kept.reserve(live_);
  std::vector<Slot> moved(slots_.size());
  for (Slot slot = 0; slot < slots_.size(); ++slot) {
    if (!slots_[slot]) continue;
    moved[slot] = kept.size();
    kept.push_back(std::move(slots_[slot]));
  }
  slots_ = std::move(kept);
  // Renumbering keeps every list in store order.
  for (auto& [call, list] : byCall_) {
    for (Slot& slot : list) slot = moved[slot];
  }
}

QsoStore::Slot QsoStore::SlotOfIndex(std::size_t index) const {
  Compact();
  return index;
}

const QsoEntry& QsoStore::At(std::size_t index) const { return *slots_[SlotOfIndex(index)]; }

void QsoStore::Append(QsoEntry entry) {
  slots_.push_back(std::make_unique<QsoEntry>(std::move(entry)));
  ++live_;
  Index(slots_.size() - 1);
}

void QsoStore::RemoveAt(std::size_t index) { Remove(SlotOfIndex(index)); }

void QsoStore::Remove(Slot slot) {
  Unindex(slot);
  slots_[slot].reset();
  --live_;
  // Holes are closed once they are as many as the records, so that the store
  // never holds more than twice its records and compaction stays linear overall.
  if (slots_.size() - live_ > live_) Compact();
}

void QsoStore::SetListedCall(Slot slot, const std::string& listedCall) {
  QsoEntry& e = *slots_[slot];
  Unmark(e.listedCall);
  e.listedCall = listedCall;
  Mark(listedCall);
}

void QsoStore::Clear() {
  std::vector<std::unique_ptr<QsoEntry>>().swap(slots_);
  byCall_ = {};
  listedCount_ = {};
  live_ = 0;
  marked_ = 0;
}

std::optional<QsoStore::Slot> QsoStore::FindFirstCall(const std::string& call) const {
  auto it = byCall_.find(call);
  if (it == byCall_.end()) return std::nullopt;
  return it->second.front();
}

std::optional<QsoStore::Slot> QsoStore::FindFirstCallModeBand(const std::string& call,
                                                              const std::string& mode,
                                                              const std::string& band) const {
  auto it = byCall_.find(call);
  if (it == byCall_.end()) return std::nullopt;
  for (Slot slot : it->second) {
    const QsoEntry& e = *slots_[slot];
    if (e.mode == mode && e.band == band) return slot;
  }
  return std::nullopt;
}

std::optional<QsoStore::Slot> QsoStore::FindFirstSameQso(const QsoEntry& entry) const {
  auto it = byCall_.find(entry.call);
  if (it == byCall_.end()) return std::nullopt;
  for (Slot slot : it->second) {
    if (SameQso(*slots_[slot], entry)) return slot;
  }
  return std::nullopt;
}

}  // namespace stats
