// The entrant's details: the values that head the Cabrillo log, most of them kept
// from run to run in the settings file shared with a sibling plug-in.
#pragma once

#include <string>
#include <vector>

namespace stats {

inline constexpr char SettingsFile[] = "Plugins\\QOLEB.ini";
inline constexpr char SettingsSection[] = "Settings";

struct EntrantDetails {
  std::string callsign;          // CALLSIGN, and the sent call of every QSO line
  std::string name;              // "Name"
  std::string address;           // "Address"; several lines, CR LF between them
  std::string claimed;           // "Claimed"; written only by the score summary
  std::string contest;           // "Contest"; "ZELTA-CUP" at every load
  std::string email;             // "Email"
  std::string club;              // "Club"
  std::string soapbox;           // "SoapBox"; several lines, CR LF between them
  std::string operators;         // "Operators"; the own call sign by default
  std::string categoryOperator;  // "SINGLE-OP" at every load; never stored
  std::string categoryBand;      // "ALL" at every load; never stored
  std::string categoryMode;      // "SSB" at every load; never stored
  std::string categoryPower;     // "HIGH" at every load; never stored
  std::string location;          // "Location"
  std::string fileStem;          // base name of the Cabrillo log file
  std::vector<std::string> qsoLines;  // formatted QSO lines of the next log
};

}  // namespace stats
