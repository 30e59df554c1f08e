#include "tests/reference/reference_model.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>

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

QsoEntry ToEntry(const QsoArguments& q) {
  return {.call = q.call, .aux23 = q.aux23, .aux30 = q.aux30, .band = q.band, .mode = q.mode,
          .rstRcvd = q.rstRcvd, .rstSent = q.rstSent, .rcvdNumber = q.rcvdNumber,
          .sentNumber = q.sentNumber, .freqKhz = static_cast<std::int32_t>(q.freqHz / 1000),
          .time = q.time};
}

RefusedQso ToRefused(const QsoArguments& q) {
  return {.ownCall = q.ownCall, .call = q.call, .time = q.time, .freqHz = q.freqHz, .mode = q.mode,
          .rstSent = q.rstSent, .rstRcvd = q.rstRcvd, .sentNumber = q.sentNumber,
          .rcvdNumber = q.rcvdNumber};
}

// Bands are sorted by their text with zeros put before it up to 20 characters.
std::string PaddedKey(const std::string& band) {
  return std::string(band.size() < 20 ? 20 - band.size() : 0, '0') + band;
}

}  // namespace

int Model::FindInRegionList(const std::string& call) {
  std::ifstream file(platform::NativePath(kRegionListFile), std::ios::binary);
  if (!file) {
    if (!missingReported_) {
      missingReported_ = true;
      platform::ShowMessageBox(kMissingRegionListText, nullptr, platform::MessageIcon::kNone,
                               false);
    }
    return 0;
  }
  std::string content(std::istreambuf_iterator<char>(file), {});
  // As editors save it: a UTF-8 mark is dropped; with a UTF-16 mark the text is read
  // a unit at a time, a unit outside ASCII as '?'.
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3);
  if (content.rfind("\xFF\xFE", 0) == 0 || content.rfind("\xFE\xFF", 0) == 0) {
    const std::size_t hi = content[0] == '\xFF' ? 1 : 0;  // where a unit's high byte is
    std::string text;
    for (std::size_t i = 2; i + 1 < content.size(); i += 2) {
      const unsigned char high = content[i + hi], low = content[i + 1 - hi];
      text += high == 0 && low < 0x80 ? static_cast<char>(low) : '?';
    }
    content = text;
  }
  // A line's call sign is its leading run of call-sign characters.
  if (call.empty()) return 0;
  std::istringstream lines(content);
  int lineNumber = 0;
  for (std::string line; std::getline(lines, line);) {
    ++lineNumber;
    if (line.substr(0, std::find_if_not(line.begin(), line.end(), IsCallSignChar) - line.begin()) == call) {
      return lineNumber;
    }
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
  if (std::find(bands_.begin(), bands_.end(), qso.band) == bands_.end()) bands_.push_back(qso.band);

  QsoEntry entry = ToEntry(qso);
  if (FindInRegionList(qso.call) != 0 &&
      std::none_of(store_.begin(), store_.end(), [&](const QsoEntry& e) { return e.listedCall == qso.call; })) {
    entry.listedCall = qso.call;
  }
  if (std::none_of(store_.begin(), store_.end(), [&](const QsoEntry& e) { return SameQso(e, entry); })) {
    store_.push_back(entry);
  }
  return 1;
}

int Model::RemoveData(const QsoArguments& qso) {
  if (qso.rcvdNumber.empty() || qso.sentNumber.empty()) return 0;
  const QsoEntry wanted = ToEntry(qso);
  auto found = std::find_if(store_.begin(), store_.end(), [&](const QsoEntry& e) { return SameQso(e, wanted); });
  if (found == store_.end()) {
    found = std::find_if(store_.begin(), store_.end(), [&](const QsoEntry& e) {
      return e.call == qso.call && e.mode == qso.mode && e.band == qso.band;
    });
  }
  if (found == store_.end()) return 1;
  const std::string listedCall = found->listedCall;
  store_.erase(found);
  const auto next = std::find_if(store_.begin(), store_.end(), [&](const QsoEntry& e) { return e.call == qso.call; });
  if (!listedCall.empty() && next != store_.end()) next->listedCall = listedCall;
  return 1;
}

int Model::CheckCall(const std::string& call, const std::string& band, const std::string& mode,
                     char* message) {
  auto any = [&](auto matches) { return std::any_of(store_.begin(), store_.end(), matches); };
  if (any([&](const QsoEntry& e) { return e.call == call && e.band == band && e.mode == mode; })) return 0;
  if (FindInRegionList(call) == 0 || any([&](const QsoEntry& e) { return e.listedCall == call; })) return 1;
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
    std::set<std::string> counted;
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
      if (!e.listedCall.empty()) counted.insert(e.listedCall);
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
  const std::int64_t product = std::min<std::int64_t>(totalPoints * totalMultipliers,
                                                      std::numeric_limits<std::int32_t>::max());
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
