// What the robot takes of a request, in one place: the sizes, counts and times beyond
// which a request is refused, and each route's body limit.
#pragma once

#include <cstddef>
#include <string>

#include "robot/front_door.h"
#include "robot/service.h"

namespace robot {

constexpr std::size_t kMaxFormParts = 16;      // parts of an upload form
constexpr std::size_t kMaxEmail = 254;         // an e-mail address's bytes
constexpr std::size_t kMaxFormBytes = 8192;    // an organiser's form: a token, a CSRF token
constexpr std::size_t kMaxHeadBytes = 16384;   // a request's line and header lines
constexpr std::size_t kMaxHeaderLines = 64;
constexpr std::size_t kMaxConnections = 512;   // open at once, all addresses
constexpr std::size_t kLargeUpload = 1u << 20; // memory given back to the system after it

// BodyLimitOf()
// The body a request may have: an upload's --max-upload-kb over every byte of the body
// (the form's boundaries and part headers included) within the upload's time; an
// organiser's form a few KB within the head's time; nothing on any other route.
BodyLimit BodyLimitOf(const std::string& method, const std::string& target, const RobotOptions& options);

// DoorLimitsOf()
// The front door's limits for the options.
DoorLimits DoorLimitsOf(const RobotOptions& options);

}  // namespace robot
