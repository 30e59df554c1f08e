#include "stats/state/qso_store.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace {

void HashIn(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
}

}  // namespace

std::string QsoStore::CallModeBandKey(const std::string& call, const std::string& mode,
                                      const std::string& band) {
  // Lengths first, so that no two triples share a key whatever bytes they hold.
  std::string key = std::to_string(call.size()) + ':' + std::to_string(mode.size()) + ':';
  key += call;
  key += mode;
  key += band;
  return key;
}

std::size_t QsoStore::QsoHash(const QsoEntry& e) {
  const std::hash<std::string> text;
  std::size_t seed = 0;
  for (const std::string* s : {&e.call, &e.aux23, &e.aux30, &e.band, &e.mode, &e.rstRcvd,
                               &e.rstSent, &e.rcvdNumber, &e.sentNumber}) {
    HashIn(seed, text(*s));
  }
  HashIn(seed, std::hash<std::int32_t>()(e.freqKhz));
  HashIn(seed, std::hash<std::int32_t>()(e.time.status));
  // Equal days hash alike: 0.0 and -0.0 compare equal.
  HashIn(seed, e.time.dt == 0.0 ? 0 : std::hash<double>()(e.time.dt));
  return seed;
}

void QsoStore::Unlink(std::unordered_map<std::string, SlotList>& index, const std::string& key,
                      Slot slot) {
  auto it = index.find(key);
  if (it == index.end()) return;
  SlotList& list = it->second;
  list.erase(std::find(list.begin(), list.end(), slot));
  if (list.empty()) index.erase(it);
}

void QsoStore::Index(Slot slot) {
  const QsoEntry& e = *slots_[slot];
  byCall_[e.call].push_back(slot);
  byCallModeBand_[CallModeBandKey(e.call, e.mode, e.band)].push_back(slot);
  byQso_[QsoHash(e)].push_back(slot);
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
  Unlink(byCall_, e.call, slot);
  Unlink(byCallModeBand_, CallModeBandKey(e.call, e.mode, e.band), slot);
  auto same = byQso_.find(QsoHash(e));
  if (same != byQso_.end()) {
    same->second.erase(std::find(same->second.begin(), same->second.end(), slot));
    if (same->second.empty()) byQso_.erase(same);
  }
  Unmark(e.listedCall);
}

void QsoStore::Compact() const {
  if (slots_.size() == live_) return;
  std::vector<std::optional<QsoEntry>> kept;
  kept.reserve(live_);
  std::vector<Slot> moved(slots_.size());
  for (Slot slot = 0; slot < slots_.size(); ++slot) {
    if (!slots_[slot]) continue;
    moved[slot] = kept.size();
    kept.push_back(std::move(slots_[slot]));
  }
  slots_ = std::move(kept);
  // Renumbering keeps every list in store order.
  for (auto* index : {&byCall_, &byCallModeBand_}) {
    for (auto& [key, list] : *index) {
      for (Slot& slot : list) slot = moved[slot];
    }
  }
  for (auto& [key, list] : byQso_) {
    for (Slot& slot : list) slot = moved[slot];
  }
}

QsoStore::Slot QsoStore::SlotOfIndex(std::size_t index) const {
  Compact();
  return index;
}

const QsoEntry& QsoStore::At(std::size_t index) const { return *slots_[SlotOfIndex(index)]; }

void QsoStore::Append(const QsoEntry& entry) {
  slots_.emplace_back(entry);
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
  std::vector<std::optional<QsoEntry>>().swap(slots_);
  byCall_ = {};
  byCallModeBand_ = {};
  byQso_ = {};
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
  auto it = byCallModeBand_.find(CallModeBandKey(call, mode, band));
  if (it == byCallModeBand_.end()) return std::nullopt;
  return it->second.front();
}

std::optional<QsoStore::Slot> QsoStore::FindFirstSameQso(const QsoEntry& entry) const {
  auto it = byQso_.find(QsoHash(entry));
  if (it == byQso_.end()) return std::nullopt;
  for (Slot slot : it->second) {
    if (SameQso(*slots_[slot], entry)) return slot;
  }
  return std::nullopt;
}
