// The run's ordered list of counted QSOs.
//
// Records keep the order in which they were appended; removing one closes the
// gap. Callers address records by index and hold no reference across a call
// that may show a message box (the host may call the plug-in again from inside it).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "stats/state/qso_entry.h"

class QsoStore {
 public:
  std::size_t Count() const { return entries_.size(); }

  // Read access in place; `index` below Count().
  const QsoEntry& At(std::size_t index) const { return entries_[index]; }

  void Append(const QsoEntry& entry) { entries_.push_back(entry); }

  // Removes the record at `index`; later records move down by one.
  void RemoveAt(std::size_t index);

  // Sets `listedCall` of the record at `index`.
  void SetListedCall(std::size_t index, const std::string& listedCall);

  // Removes every record and releases the storage.
  void Clear();

  // Queries. Each answers for the store in store order.
  bool HasCall(const std::string& call) const;
  bool HasListedCall(const std::string& listedCall) const;
  bool HasCallBandMode(const std::string& call, const std::string& band,
                       const std::string& mode) const;
  std::optional<std::size_t> FindFirstCall(const std::string& call) const;
  std::optional<std::size_t> FindFirstCallModeBand(const std::string& call,
                                                   const std::string& mode,
                                                   const std::string& band) const;
  std::optional<std::size_t> FindFirstSameQso(const QsoEntry& entry) const;

 private:
  std::vector<QsoEntry> entries_;
};
