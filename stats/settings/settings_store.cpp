#include "stats/settings/settings_store.h"

#include "platform/profile.h"
#include "stats/settings/line_breaks.h"
#include "stats/settings/replace_all.h"
#include "stats/ubn/file_names.h"

namespace stats {

namespace {

// White space as the C library's isspace() sees it in the "C" locale.

std::string ReadSetting(const char* key, const std::string& defaultValue) {
  return platform::ReadProfileString(SettingsSection, key, defaultValue, kSettingsReadBufferSize,
                                     SettingsFile);
}

// A profile value ends at the first CR or LF: written raw, the rest of a one-line
// field would become lines of its own in the shared file (a new key, or a section
// header). Such a field is kept on one line with a blank for each break.
std::string OneLine(const std::string& value) {
  std::string line = value;
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace

void LoadEntrantDetails(EntrantDetails& details, const std::string& ownCall) {
  details.callsign = ownCall;
  details.fileStem = stats::CabrilloFileStem(ownCall);

  details.operators = ReadSetting(kOperatorsKey, details.callsign);
  details.name = ReadSetting(kNameKey, std::string());
  details.address = DecodeLineBreaks(ReadSetting(kAddressKey, std::string()));
  details.claimed = ReadSetting(kClaimedKey, std::string());
  details.location = ReadSetting(kLocationKey, std::string());

  details.contest = "ZELTA-CUP";
  details.categoryMode = "SSB";
  details.categoryOperator = "SINGLE-OP";
  details.categoryBand = "ALL";
  details.categoryPower = "HIGH";

  details.email = ReadSetting(kEmailKey, std::string());
  details.club = ReadSetting(kClubKey, std::string());
  details.soapbox = DecodeLineBreaks(ReadSetting(kSoapBoxKey, std::string()));
}

void SaveEntrantDetails(const EntrantDetails& details) {
  WriteSetting(kOperatorsKey, OneLine(details.operators));
  WriteSetting(kNameKey, OneLine(details.name));
  WriteSetting(kAddressKey, EncodeLineBreaks(details.address));
  WriteSetting(kLocationKey, OneLine(details.location));
  WriteSetting(kContestKey, OneLine(details.contest));
  WriteSetting(kEmailKey, OneLine(details.email));
  WriteSetting(kClubKey, OneLine(details.club));
  WriteSetting(kSoapBoxKey, EncodeLineBreaks(details.soapbox));
}

bool WriteSetting(const std::string& key, const std::string& value) {
  return platform::WriteProfileString(SettingsSection, key, value, SettingsFile);
}

}  // namespace stats
