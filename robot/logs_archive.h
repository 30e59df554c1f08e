// Every upload in one zip, for the organiser's archive: each upload's original bytes
// as they arrived, named by its receipt and call, and manifest.csv saying what each is.
#pragma once

#include <string>

#include "robot/store.h"

namespace robot {

// WriteLogsArchive()
// Writes the zip into the new file `path`: logs/R-YYYYMMDD-NNNN_CALL.cbr (or .adi)
// for every upload, oldest first, superseded ones too, and manifest.csv with one row
// each: receipt, call, received, sha256, bytes, category, late, replaces, counts
// ("yes" for the upload that counts for its call). One upload's bytes are in memory at
// a time. Throws StoreError when the database or the file fails (the file is then
// removed).
void WriteLogsArchive(Store& store, const std::string& path);

}  // namespace robot
