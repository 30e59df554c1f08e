// The names of the files a run writes for one entrant. Plain functions, no state:
// the plug-in, zelta and the reports all name these files by the same rule.
#pragma once

#include <string>

namespace stats {

// The stem used when the own call sign leaves nothing to name the log after.
inline constexpr char kDefaultFileStem[] = "QOLEB";

// FileStem()
// `call` with every '/', '\' and ':' replaced by '_': a portable call such as
// Q1ABC/P must not name a folder or a drive.
std::string FileStem(const std::string& call);

// CheckFileName()
// The check file of refused QSOs: FileStem(ownCall) + "-ubn.txt".
std::string CheckFileName(const std::string& ownCall);

// CabrilloFileStem()
// FileStem(ownCall) without leading and trailing white space; "QOLEB" when
// nothing is left.
std::string CabrilloFileStem(const std::string& ownCall);

// CabrilloFileName()
// CabrilloFileStem(ownCall) + ".cbr".
std::string CabrilloFileName(const std::string& ownCall);

}  // namespace stats
