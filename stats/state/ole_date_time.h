// The date-time record that crosses the plug-in boundary by pointer.
//
// Its layout is fixed by the host: an IEEE-754 double of days since 30 December
// 1899 00:00 (the fraction is the time of day), then a signed 32-bit status, with
// no padding (4-byte packing), 12 bytes in all.
#pragma once

#include <cstdint>

#pragma pack(push, 4)
class COleDateTime {
 public:
  enum Status : std::int32_t { kValid = 0, kInvalid = 1, kNull = 2 };

  double dt = 0.0;
  std::int32_t status = kValid;
};
#pragma pack(pop)

static_assert(sizeof(COleDateTime) == 12, "COleDateTime must be 12 bytes without padding");

// Same status and same day value.
inline bool operator==(const COleDateTime& a, const COleDateTime& b) {
  return a.status == b.status && a.dt == b.dt;
}
