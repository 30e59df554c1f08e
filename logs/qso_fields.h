// Conversions from a log's field texts to the values the host passes to the
// plug-in: frequencies in hertz, band names, modes, serial numbers, dates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/ascii_text.h"

#include "platform/ole_calendar.h"

namespace logs {

// DecimalToScaledInteger()
// The decimal text `text` ("3.55", "14025", ".5") times 10^`scaleDigits`, rounded
// to the nearest integer (halves round up), computed from the digits exactly.
// Only digits and one '.' are accepted; nullopt for anything else (signs, ',',
// blanks, no digit) and for a result above 7500000000000 (the top of the highest
// amateur band in hertz).
std::optional<std::uint64_t> DecimalToScaledInteger(std::string_view text, int scaleDigits);

// BandForFrequency()
// The host's name of the amateur band that holds `hz` ("20" for 14025000), or
// nullopt when no band of the table holds it.
std::optional<std::string> BandForFrequency(std::uint64_t hz);

// BandForAdifBand()
// The host's name of an ADIF BAND value, matched without regard to case ("20M"
// gives "20", "70cm" gives "70cm"); nullopt for a value that is no band.
std::optional<std::string> BandForAdifBand(std::string_view adifBand);

// BandLowerEdgeHz()
// The lowest frequency of a band given by its host name, for a QSO whose log
// names the band but not the frequency. 0 for an unknown name.
std::uint64_t BandLowerEdgeHz(std::string_view hostBand);

// PluginHz()
// The frequency as the plug-in takes it, in hertz in 32 bits: `hz` itself, or 0
// (no frequency) from 6 cm up, where the hertz do not fit; the band names the QSO's
// band there.
std::uint32_t PluginHz(std::uint64_t hz);

// BandForCabrilloDesignator()
// Cabrillo writes bands from 50 MHz up as designators ("50", "144", "1.2G"):
// the host's band name, or nullopt when `text` is no designator.
std::optional<std::string> BandForCabrilloDesignator(std::string_view text);

// ModeForAdif()
// The host's mode text for an ADIF MODE and SUBMODE (compared without regard to
// case): "CW"; "SSB" for SSB (any submode) and the older MODE USB or LSB;
// "BPSK63" for PSK with submode PSK63 or BPSK63 and for the older MODE PSK63.
// Any other mode is passed on as the log names it: the submode when there is one,
// else the mode, so that the plug-in refuses it under that name.
std::string ModeForAdif(std::string_view mode, std::string_view submode);

// ModeForCabrillo()
// CW as "CW", PH as "SSB", PM as "BPSK63", RY as "RTTY" (any case); any other
// code as it stands.
std::string ModeForCabrillo(std::string_view code);

// SerialText()
// A numeric serial as at least three digits ("1" gives "001", "0017" gives
// "017", "1234" stays). nullopt when `digits` is empty or holds a non-digit.
std::optional<std::string> SerialText(std::string_view digits);

// ParseAdifDate(), ParseAdifTime()
// "YYYYMMDD" and "HHMM" or "HHMMSS" into `time` (only the date or only the time
// fields are set). False for anything else, a 30 February or a 24:00 included.
bool ParseAdifDate(std::string_view text, platform::CalendarTime& time);
bool ParseAdifTime(std::string_view text, platform::CalendarTime& time);

// ParseCabrilloDate(), ParseCabrilloTime()
// "yyyy-mm-dd" and "hhmm", with the same checks.
bool ParseCabrilloDate(std::string_view text, platform::CalendarTime& time);
bool ParseCabrilloTime(std::string_view text, platform::CalendarTime& time);

// The shared text rules, as the readers use them.
using text::AllDigits;
using text::AsciiUpper;
using text::EqualsIgnoringCase;
using text::IsBlank;
using text::TrimBlanks;

}  // namespace logs
