#include "stats/state/band_list.h"

namespace stats {

bool BandList::Contains(const std::string& band) const { return seen_.count(band) != 0; }

void BandList::AppendIfNew(const std::string& band) {
  if (seen_.insert(band).second) bands_.push_back(band);
}

}  // namespace stats
