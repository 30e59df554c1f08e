// Loading and saving the entrant's details through the shared settings file.
//
// Only the keys named here are read or written; every other key of the section,
// and every other section, belongs to the sibling plug-in and is left alone (the
// profile layer changes one key per call).
#pragma once

#include <cstddef>
#include <string>

#include "stats/settings/entrant_details.h"

namespace stats {

// Keys of section SettingsSection in SettingsFile.
inline constexpr char kOperatorsKey[] = "Operators";
inline constexpr char kNameKey[] = "Name";
inline constexpr char kAddressKey[] = "Address";
inline constexpr char kClaimedKey[] = "Claimed";
inline constexpr char kLocationKey[] = "Location";
inline constexpr char kContestKey[] = "Contest";
inline constexpr char kEmailKey[] = "Email";
inline constexpr char kClubKey[] = "Club";
inline constexpr char kSoapBoxKey[] = "SoapBox";
inline constexpr char kModeKey[] = "Mode";

// Every value is read into a buffer of this many characters, so at most 9999
// characters of a longer value come back.
inline constexpr std::size_t kSettingsReadBufferSize = 10000;

// LoadEntrantDetails()
// Fills every field of `details` but `qsoLines`: `callsign` and `fileStem` from
// `ownCall`; the persisted fields from the settings file (the address and the
// soapbox decoded to text form; a missing key gives its default: the own call for
// "Operators", else empty); `contest` and the four categories at their defaults.
// Nothing is reported when the file, the section or a key is missing.
void LoadEntrantDetails(EntrantDetails& details, const std::string& ownCall);

// SaveEntrantDetails()
// Writes the eight persisted fields, one key per profile call, in the order
// Operators, Name, Address, Location, Contest, Email, Club, SoapBox; the address
// and the soapbox in stored form, every other field with a blank for each CR or LF
// (a break would start a line of its own in the shared file). A failed write is
// ignored and leaves the file as it was.
void SaveEntrantDetails(const EntrantDetails& details);

// WriteSetting()
// Sets one key of the settings section; false when the file could not be written.
bool WriteSetting(const std::string& key, const std::string& value);

}  // namespace stats
