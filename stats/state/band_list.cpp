#include "stats/state/band_list.h"

#include <algorithm>

bool BandList::Contains(const std::string& band) const {
  return std::find(bands_.begin(), bands_.end(), band) != bands_.end();
}

void BandList::AppendIfNew(const std::string& band) {
  if (!Contains(band)) bands_.push_back(band);
}
