// The UBN check file: the QSOs a run refused to count, each with its reason.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "stats/state/ole_date_time.h"

namespace stats {

// What the check file shows of a refused QSO (the AddData0 arguments it prints).
struct RefusedQso {
  std::string ownCall;  // the logging station's call given with the QSO
  std::string call;
  COleDateTime time;
  std::uint32_t freqHz = 0;
  std::string mode;
  std::string rstSent;
  std::string rstRcvd;
  std::string sentNumber;
  std::string rcvdNumber;
};

inline constexpr char kNoContestModeReason[] = " No contest mode \n";
inline constexpr char kNoRxNumberReason[] = "No RX number\n";

// The check file of one run. Lines are written as they come, with CR LF line
// ends on every platform (the bytes a Windows text-mode stream writes).
class CheckFile {
 public:
  CheckFile() = default;
  CheckFile(const CheckFile&) = delete;
  CheckFile& operator=(const CheckFile&) = delete;
  ~CheckFile() { Close(); }

  // Create()
  // Closes the previous run's file, then creates (or empties) the file named for
  // `ownCall` in the current directory and writes the header. When the file cannot
  // be created the run has no check file and rejections are not written.
  void Create(const std::string& ownCall);

  // WriteRefusal()
  // Appends the line of a refused QSO, ending in `reason`; nothing when there is
  // no open file (before the first run, or when it could not be created).
  void WriteRefusal(const RefusedQso& qso, const char* reason);

  void Close();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  void Write(const std::string& text);
  std::FILE* file_ = nullptr;
};

}  // namespace stats
