// What the robot takes of a request, in one place: the sizes and counts beyond which
// a request is refused.
#pragma once

#include <cstddef>

namespace robot {

constexpr std::size_t kMaxFormParts = 16;   // parts of an upload form
constexpr std::size_t kMaxEmail = 254;      // an e-mail address's bytes

}  // namespace robot
