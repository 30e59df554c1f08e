// The run's ordered list of counted QSOs.
//
// Records keep the order in which they were appended; removing one closes the
// gap. A hash index by call sign answers the questions of the accounting and the call check
// without walking the store, so adding, removing and checking a QSO cost the same
// in a log of ten QSOs and in one of a hundred thousand.
//
// A removed record leaves a hole that is closed in one sweep once holes are as
// many as records, or when a record is next asked for by position. Queries name a
// record by its `Slot`, which stays valid until the next removal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "stats/state/qso_entry.h"

namespace stats {

class QsoStore {
 public:
  using Slot = std::size_t;

  std::size_t Count() const { return live_; }

  // The record at `index` (0-based position in store order, below Count()).
  // Closes the holes first, so a full walk by index is linear.
  const QsoEntry& At(std::size_t index) const;

  void Append(QsoEntry entry);

  // Removes the record at position `index`; later records move down by one.
  void RemoveAt(std::size_t index);

  // Removes the record in `slot`.
  void Remove(Slot slot);

  // The record in `slot`.
  const QsoEntry& AtSlot(Slot slot) const { return *slots_[slot]; }

  // Sets `listedCall` of the record in `slot`.
  void SetListedCall(Slot slot, const std::string& listedCall);

  // Removes every record and releases the storage.
  void Clear();

  // Queries, each answered for the first record in store order. Each looks only
  // at the records of one call sign, which a log holds a handful of.
  bool HasCall(const std::string& call) const { return byCall_.count(call) != 0; }
  bool HasListedCall(const std::string& listedCall) const {
    // An empty text is carried by every record that has no mark.
    if (listedCall.empty()) return live_ > marked_;
    return listedCount_.count(listedCall) != 0;
  }
  bool HasCallBandMode(const std::string& call, const std::string& band,
                       const std::string& mode) const {
    return FindFirstCallModeBand(call, mode, band).has_value();
  }
  std::optional<Slot> FindFirstCall(const std::string& call) const;
  std::optional<Slot> FindFirstCallModeBand(const std::string& call, const std::string& mode,
                                            const std::string& band) const;
  // The first record that is the same QSO (every field but `listedCall`).
  std::optional<Slot> FindFirstSameQso(const QsoEntry& entry) const;

 private:
  // Slots of one key, in store order (slots only grow between compactions).
  using SlotList = std::vector<Slot>;

  void Index(Slot slot);
  void Unindex(Slot slot);
  void Mark(const std::string& listedCall);
  void Unmark(const std::string& listedCall);
  void Compact() const;
  Slot SlotOfIndex(std::size_t index) const;

  // Records in store order, each in an allocation of its own so that growing the
  // list moves pointers only; a removed record leaves a null slot until compaction.
  // Mutable: closing holes changes no record and no order.
  mutable std::vector<std::unique_ptr<QsoEntry>> slots_;
  // The slots of each call sign's records, in store order.
  mutable std::unordered_map<std::string, SlotList> byCall_;
  std::unordered_map<std::string, std::size_t> listedCount_;
  std::size_t live_ = 0;
  std::size_t marked_ = 0;  // records with a non-empty listedCall
};

}  // namespace stats
