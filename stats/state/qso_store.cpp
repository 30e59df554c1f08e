#include "stats/state/qso_store.h"

#include <utility>

void QsoStore::RemoveAt(std::size_t index) {
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

void QsoStore::SetListedCall(std::size_t index, const std::string& listedCall) {
  entries_[index].listedCall = listedCall;
}

void QsoStore::Clear() { std::vector<QsoEntry>().swap(entries_); }

bool QsoStore::HasCall(const std::string& call) const { return FindFirstCall(call).has_value(); }

bool QsoStore::HasListedCall(const std::string& listedCall) const {
  for (const QsoEntry& e : entries_) {
    if (e.listedCall == listedCall) return true;
  }
  return false;
}

bool QsoStore::HasCallBandMode(const std::string& call, const std::string& band,
                               const std::string& mode) const {
  for (const QsoEntry& e : entries_) {
    if (e.call == call && e.band == band && e.mode == mode) return true;
  }
  return false;
}

std::optional<std::size_t> QsoStore::FindFirstCall(const std::string& call) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].call == call) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> QsoStore::FindFirstCallModeBand(const std::string& call,
                                                           const std::string& mode,
                                                           const std::string& band) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const QsoEntry& e = entries_[i];
    if (e.call == call && e.mode == mode && e.band == band) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> QsoStore::FindFirstSameQso(const QsoEntry& entry) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (SameQso(entries_[i], entry)) return i;
  }
  return std::nullopt;
}
