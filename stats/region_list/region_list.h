// The region list: the call signs of the stations that score as listed.
//
// A plain text file, one call sign at the start of each line; the call sign is
// the run of ASCII letters, digits and '/' there, and whatever follows it on the
// line is ignored. A call is listed when it equals one of these exactly. A file
// saved as UTF-8 with a byte-order mark, or as UTF-16 with one, lists the same.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/files.h"

namespace stats {

inline constexpr char kRegionListFile[] = ".\\Plugins\\zelta.dom";
inline constexpr char kMissingRegionListText[] =
    "File zelta.dom not found. Dll incorrect worked ! ";

class RegionList {
 public:
  explicit RegionList(std::string path = kRegionListFile) : path_(std::move(path)) {}

  // StartRun()
  // A new scoring run: a missing file is reported again at its first lookup.
  void StartRun() { missingReported_ = false; }

  const std::string& Path() const { return path_; }

  // Lookups made while a Batch lives look at the file only once: one request
  // that asks about many calls sees one version of the file. A message box
  // (inside which anything may happen) makes the next lookup look again.
  class Batch {
   public:
    explicit Batch(RegionList& list) : list_(list) { ++list_.batchDepth_; }
    ~Batch() {
      if (--list_.batchDepth_ == 0) list_.batchChecked_ = false;
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    RegionList& list_;
  };

 private:
  friend int FindInRegionList(RegionList& list, const std::string& call);
  // Reads the file when it is not the version read last; false when it is missing.
  // Inside a batch, only the first lookup asks.
  bool Refresh();
  bool Reload();

  std::string path_;
  bool missingReported_ = false;
  int batchDepth_ = 0;
  bool batchChecked_ = false;  // inside a batch: the file was looked at
  bool present_ = false;       // ... and was there
  // The file as read last: each call sign with the number of its first line.
  bool loaded_ = false;
  platform::FileStamp stamp_;
  bool racy_ = false;  // the stamp was too recent at the read to vouch for the text
  std::unordered_map<std::string, int> firstLine_;
  std::string bytes_;  // the file's bytes as read
};

// FindInRegionList()
// The 1-based number of the first line whose call sign equals `call` byte for
// byte, or 0: not listed, an empty `call`, or no file. The file is read once and
// read again whenever it has changed (its identity, size or time of last write),
// and while its time of last write is within two seconds of the last read (an
// edit in that time may keep the stamp), so an edit takes effect at the next
// lookup; a settled file costs one stat per lookup. When it cannot be read, the
// operator is told once per run (a message box with no owner and the system's
// caption) and every lookup answers 0.
int FindInRegionList(RegionList& list, const std::string& call);

}  // namespace stats
