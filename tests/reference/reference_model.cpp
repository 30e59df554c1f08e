#include "tests/reference/reference_model.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/files.h"
#include "platform/launch.h"
#include "platform/message_box.h"
#include "stats/cabrillo_export/cabrillo_log.h"
#include "stats/call_check/call_check.h"
#include "stats/dialogs/header_dialog.h"
#include "stats/interface/run_lifecycle.h"
#include "stats/region_list/region_list.h"
#include "stats/settings/settings_store.h"

namespace stats::reference {
namespace {

bool IsCallSignChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
}

QsoEntry ToEntry(const QsoArguments& qso) {
  QsoEntry e;
  e.call = qso.call;
  e.aux23 = qso.aux23;
  e.aux30 = qso.aux30;
  e.band = qso.band;
  e.mode = qso.mode;
  e.rstRcvd = qso.rstRcvd;
  e.rstSent = qso.rstSent;
  e.rcvdNumber = qso.rcvdNumber;
  e.sentNumber = qso.sentNumber;
  e.freqKhz = static_cast<std::int32_t>(qso.freqHz / 1000);
  e.time = qso.time;
  return e;
}

RefusedQso ToRefused(const QsoArguments& qso) {
  RefusedQso r;
  r.ownCall = qso.ownCall;
  r.call = qso.call;
  r.time = qso.time;
  r.freqHz = qso.freqHz;
  r.mode = qso.mode;
  r.rstSent = qso.rstSent;
  r.rstRcvd = qso.rstRcvd;
  r.sentNumber = qso.sentNumber;
  r.rcvdNumber = qso.rcvdNumber;
  return r;
}

std::string PaddedKey(const std::string& band) {
  std::string key = band;
  while (key.size() < 20) key = "0" + key;
  return key;
}

}  // namespace

int Model::FindInRegionList(const std::string& call) {
  std::FILE* file = std::fopen(platform::NativePath(kRegionListFile).c_str(), "rb");
  if (file == nullptr) {
    if (!missingReported_) {
      missingReported_ = true;
      platform::ShowMessageBox(kMissingRegionListText, nullptr, platform::MessageIcon::kNone,
                               false);
    }
    return 0;
  }
  // Read every line; a line's call sign is its leading run of call-sign characters.
  std::string content;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) content += static_cast<char>(c);
  std::fclose(file);
  if (call.empty()) return 0;
  int lineNumber = 0;
  std::size_t start = 0;
  while (start <= content.size()) {
    ++lineNumber;
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::size_t length = 0;
    while (start + length < end && IsCallSignChar(content[start + length])) ++length;
    if (content.compare(start, length, call) == 0 && length == call.size()) return lineNumber;
    start = end + 1;
  }
  return 0;
}

int Model::ResetStats(int reportRequested, const std::string& ownCall,
                      const COleDateTime& first) {
  startDateText_ = StartDateText(first);
  platform::StartProgram(kCompanionCommandLine);
  store_.clear();
  bands_.clear();
  reportRequested_ = reportRequested;
  ownCall_ = ownCall;
  missingReported_ = false;
  checkFile_.Create(ownCall);
  if (reportRequested_ != 0) EditEntrantDetails(details_, ownCall);
  return 1;
}

int Model::AddData(const QsoArguments& qso) {
  if (qso.mode != "CW" && qso.mode != "BPSK63" && qso.mode != "BPSK62" && qso.mode != "SSB") {
    checkFile_.WriteRefusal(ToRefused(qso), kNoContestModeReason);
    return 0;
  }
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) {
    checkFile_.WriteRefusal(ToRefused(qso), kNoRxNumberReason);
    return 0;
  }
  bool bandKnown = false;
  for (const std::string& band : bands_) bandKnown = bandKnown || band == qso.band;
  if (!bandKnown) bands_.push_back(qso.band);

  QsoEntry entry = ToEntry(qso);
  if (FindInRegionList(qso.call) != 0) {
    bool marked = false;
    for (const QsoEntry& e : store_) marked = marked || e.listedCall == qso.call;
    if (!marked) entry.listedCall = qso.call;
  }
  bool stored = false;
  for (const QsoEntry& e : store_) stored = stored || SameQso(e, entry);
  if (!stored) store_.push_back(entry);
  return 1;
}

int Model::RemoveData(const QsoArguments& qso) {
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) return 0;
  const QsoEntry wanted = ToEntry(qso);
  std::size_t found = store_.size();
  for (std::size_t i = 0; i < store_.size() && found == store_.size(); ++i) {
    if (SameQso(store_[i], wanted)) found = i;
  }
  for (std::size_t i = 0; i < store_.size() && found == store_.size(); ++i) {
    const QsoEntry& e = store_[i];
    if (e.call == qso.call && e.mode == qso.mode && e.band == qso.band) found = i;
  }
  if (found == store_.size()) return 1;
  const std::string listedCall = store_[found].listedCall;
  store_.erase(store_.begin() + static_cast<std::ptrdiff_t>(found));
  if (!listedCall.empty()) {
    for (QsoEntry& e : store_) {
      if (e.call == qso.call) {
        e.listedCall = listedCall;
        break;
      }
    }
  }
  return 1;
}

int Model::CheckCall(const std::string& call, const std::string& band, const std::string& mode,
                     char* message) {
  for (const QsoEntry& e : store_) {
    if (e.call == call && e.band == band && e.mode == mode) return 0;
  }
  if (FindInRegionList(call) == 0) return 1;
  for (const QsoEntry& e : store_) {
    if (e.listedCall == call) return 1;
  }
  if (message != nullptr) std::memcpy(message, kNewMultiplierText, sizeof kNewMultiplierText);
  return 2;
}

std::string Model::GetResult(int* score) {
  std::string text = "\t    ZELTA TROPHY " + startDateText_ + " \r\n\t\t\xD3\xF7\xE0\xF1\xF2\xED\xE8\xEA: " +
                     ownCall_ + "\r\n\tQSOs\tPoints\tConferenc CW\tSSB\t\r\n";
  for (std::size_t i = 0; i + 1 < bands_.size(); ++i) {
    for (std::size_t j = i + 1; j < bands_.size(); ++j) {
      if (PaddedKey(bands_[i]) < PaddedKey(bands_[j])) std::swap(bands_[i], bands_[j]);
    }
  }
  std::int64_t totalPoints = 0, totalMultipliers = 0, totalCw = 0, totalSsb = 0;
  for (const std::string& band : bands_) {
    std::int64_t qsos = 0, listed = 0, unlistedCw = 0, unlistedSsb = 0, cw = 0, ssb = 0;
    std::vector<std::string> counted;
    for (const QsoEntry& e : store_) {
      if (e.band != band || e.call.empty()) continue;
      ++qsos;
      if (FindInRegionList(e.call) != 0) {
        ++listed;
      } else {
        if (e.mode == "CW") ++unlistedCw;
        if (e.mode == "SSB") ++unlistedSsb;
      }
      if (e.mode == "CW") ++cw;
      if (e.mode == "SSB") ++ssb;
      bool seen = e.listedCall.empty();
      for (const std::string& c : counted) seen = seen || c == e.listedCall;
      if (!seen) counted.push_back(e.listedCall);
    }
    const std::int64_t points = 3 * listed + 2 * unlistedCw + unlistedSsb;
    text += band + "\t " + std::to_string(qsos) + "\t " + std::to_string(points) + "\t\t   " +
            std::to_string(cw) + "\t  " + std::to_string(ssb) + "\r\n";
    totalPoints += points;
    totalMultipliers += static_cast<std::int64_t>(counted.size());
    totalCw += cw;
    totalSsb += ssb;
  }
  text += "Total\t " + std::to_string(store_.size()) + "\t " + std::to_string(totalPoints) +
          "\t    " + std::to_string(totalMultipliers) + "\t   " + std::to_string(totalCw) +
          "\t  " + std::to_string(totalSsb) + "\r\n";
  std::int64_t product = totalPoints * totalMultipliers;
  if (product > std::numeric_limits<std::int32_t>::max()) {
    product = std::numeric_limits<std::int32_t>::max();
  }
  const std::string scoreText = std::to_string(product);
  text += "\r\n\tScore: " + std::to_string(totalPoints) + "*" +
          std::to_string(totalMultipliers) + " = " + scoreText + "\r\n";
  if (score != nullptr) *score = static_cast<int>(product);
  WriteSetting(kClaimedKey, scoreText);
  if (reportRequested_ != 0) {
    for (const QsoEntry& e : store_) {
      AddQsoLine(details_, e.call, e.freqKhz, CabrilloModeCode(e.mode), e.time, e.rstSent,
                 e.sentNumber, e.rstRcvd, e.rcvdNumber);
    }
    platform::ShowMessageBox(WriteCabrilloLog(details_, scoreText), "Output",
                             platform::MessageIcon::kInformation, true);
    if (score != nullptr) *score = -1;
  }
  return text;
}

}  // namespace stats::reference
