// A copy of the robot's database taken while the robot serves uploads, with SQLite's
// online backup: one consistent state of the database (every upload committed before
// the copy began, none half), from which the robot starts as it is.
#pragma once

#include <string>

namespace robot {

// BackUpDatabase()
// Copies the database `from` into the new file `to`: written under a temporary name
// beside it, synced, checked (its integrity and its uploads table) and then renamed
// into place, so that `to` is either absent or complete. Refuses a `to` that exists.
// Throws StoreError naming the file and the reason; nothing is left behind then.
void BackUpDatabase(const std::string& from, const std::string& to);

}  // namespace robot
