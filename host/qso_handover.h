// The QSOs of a log as zelta hands them to the plug-in: held packed, a few dozen
// bytes each, so that a large log costs little more than its file, and handed
// over in time order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "logs/qso_log.h"

namespace zelta {

class QsoHandover {
 public:
  // Add()
  // Keeps a copy of `qso`; QSOs are added in log order.
  void Add(const logs::LogQso& qso);

  std::size_t Size() const { return qsos_.size(); }

  // SortByTime()
  // Puts the QSOs in time order, keeping the log order of equal times. Returns
  // the lines of the first QSO that stood before an earlier one in the log and
  // of that earlier one, or nullopt when the log was in time order already.
  std::optional<std::pair<std::size_t, std::size_t>> SortByTime();

  // At()
  // The QSO at `index` in the present order.
  logs::LogQso At(std::size_t index) const;

  // SameTime(), SameForPlugin()
  // Whether two QSOs have the same time; whether the plug-in keeps them as the
  // same record (the texts it keeps, the frequency in kHz, the time).
  bool SameTime(std::size_t a, std::size_t b) const { return qsos_[a].time == qsos_[b].time; }
  bool SameForPlugin(std::size_t a, std::size_t b) const;

 private:
  struct Packed {
    std::uint64_t time;     // year, month, day, hour, minute, second as one ordered number
    std::uint64_t offset;   // LogPosition
    std::uint64_t line;
    std::uint64_t texts;    // where its texts begin in texts_
    std::uint32_t freqHz;
  };
  std::vector<Packed> qsos_;
  std::string texts_;       // each QSO's texts, each as its length and its bytes
};

}  // namespace zelta
