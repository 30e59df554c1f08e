#include "stats/ubn/check_file.h"

#include "platform/files.h"
#include "stats/state/qso_date_text.h"
#include "stats/ubn/file_names.h"

namespace stats {

void CheckFile::Create(const std::string& ownCall) {
  Close();
  file_ = std::fopen(platform::NativePath(stats::CheckFileName(ownCall)).c_str(), "wb");
  if (file_ == nullptr) return;
  Write("ZELTA TROPHY TEST UBN file " + ownCall + "\n\n");
}

void CheckFile::WriteRefusal(const RefusedQso& qso, const char* reason) {
  if (file_ == nullptr) return;
  std::string line = "QSO: ";
  line += std::to_string(static_cast<std::int32_t>(qso.freqHz / 1000));
  line += "  " + qso.mode;
  line += "  " + QsoDateText(qso.time);
  line += "  " + qso.ownCall;
  line += "  " + qso.rstSent;
  line += "  " + qso.sentNumber;
  line += "  " + qso.call;
  line += "  " + qso.rstRcvd;
  line += "  " + qso.rcvdNumber;
  line += reason;
  Write(line);
}

void CheckFile::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

void CheckFile::Write(const std::string& text) {
  // A text-mode stream on Windows writes every "\n" as CR LF; the file has the
  // same bytes on every platform.
  std::string bytes;
  bytes.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  std::fflush(file_);
}

}  // namespace stats
