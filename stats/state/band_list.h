// The run's distinct band texts, in order of first appearance (the summary
// reorders them in place). A hash set beside the list answers "seen before?".
#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace stats {

class BandList {
 public:
  std::size_t Count() const { return bands_.size(); }
  const std::string& At(std::size_t index) const { return bands_[index]; }
  void Swap(std::size_t a, std::size_t b) { bands_[a].swap(bands_[b]); }
  bool Contains(const std::string& band) const;
  // Appends `band` unless an equal text is already there.
  void AppendIfNew(const std::string& band);
  void Clear() {
    std::vector<std::string>().swap(bands_);
    std::unordered_set<std::string>().swap(seen_);
  }

 private:
  std::vector<std::string> bands_;
  std::unordered_set<std::string> seen_;
};

}  // namespace stats
