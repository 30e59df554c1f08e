#include "logs/qso_fields.h"

#include <array>

namespace logs {
namespace {

struct Band {
  const char* adif;    // the ADIF enumeration value
  const char* host;    // the host's name: the metres without the unit
  std::uint64_t lowHz;
  std::uint64_t highHz;
};

// Amateur bands (edges inclusive) as ADIF defines them.
constexpr std::array<Band, 28> kBands = {{
    {"160m", "160", 1800000u, 2000000u},
    {"80m", "80", 3500000u, 4000000u},
    {"60m", "60", 5060000u, 5450000u},
    {"40m", "40", 7000000u, 7300000u},
    {"30m", "30", 10100000u, 10150000u},
    {"20m", "20", 14000000u, 14350000u},
    {"17m", "17", 18068000u, 18168000u},
    {"15m", "15", 21000000u, 21450000u},
    {"12m", "12", 24890000u, 24990000u},
    {"10m", "10", 28000000u, 29700000u},
    {"6m", "6", 50000000u, 54000000u},
    {"4m", "4", 70000000u, 71000000u},
    {"2m", "2", 144000000u, 148000000u},
    {"1.25m", "1.25", 222000000u, 225000000u},
    {"70cm", "70cm", 420000000u, 450000000u},
    {"33cm", "33cm", 902000000u, 928000000u},
    {"23cm", "23cm", 1240000000u, 1300000000u},
    {"13cm", "13cm", 2300000000u, 2450000000u},
    {"9cm", "9cm", 3300000000u, 3500000000u},
    {"6cm", "6cm", 5650000000u, 5925000000u},
    {"3cm", "3cm", 10000000000u, 10500000000u},
    {"1.25cm", "1.25cm", 24000000000u, 24250000000u},
    {"6mm", "6mm", 47000000000u, 47200000000u},
    {"4mm", "4mm", 75500000000u, 81000000000u},
    {"2.5mm", "2.5mm", 119980000000u, 123000000000u},
    {"2mm", "2mm", 134000000000u, 149000000000u},
    {"1mm", "1mm", 241000000000u, 250000000000u},
    {"submm", "submm", 300000000000u, 7500000000000u},
}};

struct Designator {
  const char* text;
  const char* host;
};

constexpr std::array<Designator, 18> kDesignators = {{
    {"50", "6"},     {"70", "4"},      {"144", "2"},   {"222", "1.25"}, {"432", "70cm"},
    {"902", "33cm"}, {"1.2G", "23cm"}, {"2.3G", "13cm"}, {"3.4G", "9cm"}, {"5.7G", "6cm"},
    {"10G", "3cm"},  {"24G", "1.25cm"}, {"47G", "6mm"}, {"75G", "4mm"},  {"122G", "2.5mm"},
    {"123G", "2.5mm"}, {"134G", "2mm"}, {"241G", "1mm"},
}};

// Frequencies above the submillimetre band's upper edge are no amateur frequency.
constexpr std::uint64_t kHighestHz = 7500000000000u;

int Number(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool SetDate(int year, int month, int day, platform::CalendarTime& time) {
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1900 || month < 1 || month > 12 || day < 1) return false;
  const int last = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > last) return false;
  time.year = year;
  time.month = month;
  time.day = day;
  return true;
}

bool SetTime(int hour, int minute, int second, platform::CalendarTime& time) {
  if (hour > 23 || minute > 59 || second > 59) return false;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return true;
}

}  // namespace

std::optional<std::uint64_t> DecimalToScaledInteger(std::string_view text, int scaleDigits) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if ((!whole.empty() && !AllDigits(whole)) || (!fraction.empty() && !AllDigits(fraction))) {
    return std::nullopt;
  }
  // Whole digits, then exactly `scaleDigits` fraction digits, then round on the next one.
  std::uint64_t value = 0;
  for (char c : whole) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kHighestHz) return std::nullopt;
  }
  for (int i = 0; i < scaleDigits; ++i) {
    const std::size_t index = static_cast<std::size_t>(i);
    const int digit = index < fraction.size() ? fraction[index] - '0' : 0;
    value = value * 10 + static_cast<std::uint64_t>(digit);
    if (value > kHighestHz) return std::nullopt;
  }
  const std::size_t next = static_cast<std::size_t>(scaleDigits);
  if (next < fraction.size() && fraction[next] >= '5') ++value;
  if (value > kHighestHz) return std::nullopt;
  return value;
}

std::optional<std::string> BandForFrequency(std::uint64_t hz) {
  for (const Band& band : kBands) {
    if (hz >= band.lowHz && hz <= band.highHz) return std::string(band.host);
  }
  return std::nullopt;
}

std::optional<std::string> BandForAdifBand(std::string_view adifBand) {
  for (const Band& band : kBands) {
    if (EqualsIgnoringCase(adifBand, band.adif)) return std::string(band.host);
  }
  return std::nullopt;
}

std::uint64_t BandLowerEdgeHz(std::string_view hostBand) {
  for (const Band& band : kBands) {
    if (hostBand == band.host) return band.lowHz;
  }
  return 0;
}

std::uint32_t PluginHz(std::uint64_t hz) { return hz <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(hz) : 0; }

std::optional<std::string> BandForCabrilloDesignator(std::string_view text) {
  for (const Designator& designator : kDesignators) {
    if (EqualsIgnoringCase(text, designator.text)) return std::string(designator.host);
  }
  return std::nullopt;
}

std::string ModeForAdif(std::string_view mode, std::string_view submode) {
  if (EqualsIgnoringCase(mode, "CW")) return "CW";
  if (EqualsIgnoringCase(mode, "SSB") || EqualsIgnoringCase(mode, "USB") ||
      EqualsIgnoringCase(mode, "LSB")) {
    return "SSB";
  }
  if (EqualsIgnoringCase(mode, "PSK63")) return "BPSK63";
  if (EqualsIgnoringCase(mode, "PSK") &&
      (EqualsIgnoringCase(submode, "PSK63") || EqualsIgnoringCase(submode, "BPSK63"))) {
    return "BPSK63";
  }
  return std::string(submode.empty() ? mode : submode);
}

std::string ModeForCabrillo(std::string_view code) {
  if (EqualsIgnoringCase(code, "CW")) return "CW";
  if (EqualsIgnoringCase(code, "PH")) return "SSB";
  if (EqualsIgnoringCase(code, "PM")) return "BPSK63";
  if (EqualsIgnoringCase(code, "RY")) return "RTTY";
  return std::string(code);
}

std::optional<std::string> SerialText(std::string_view digits) {
  if (!AllDigits(digits)) return std::nullopt;
  const std::size_t first = digits.find_first_not_of('0');
  std::string text(first == std::string_view::npos ? std::string_view() : digits.substr(first));
  if (text.size() < 3) text.insert(0, 3 - text.size(), '0');
  return text;
}

bool ParseAdifDate(std::string_view text, platform::CalendarTime& time) {
  if (text.size() != 8 || !AllDigits(text)) return false;
  return SetDate(Number(text.substr(0, 4)), Number(text.substr(4, 2)), Number(text.substr(6, 2)),
                 time);
}

bool ParseAdifTime(std::string_view text, platform::CalendarTime& time) {
  if ((text.size() != 4 && text.size() != 6) || !AllDigits(text)) return false;
  const int second = text.size() == 6 ? Number(text.substr(4, 2)) : 0;
  return SetTime(Number(text.substr(0, 2)), Number(text.substr(2, 2)), second, time);
}

bool ParseCabrilloDate(std::string_view text, platform::CalendarTime& time) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  const std::string_view year = text.substr(0, 4), month = text.substr(5, 2),
                         day = text.substr(8, 2);
  if (!AllDigits(year) || !AllDigits(month) || !AllDigits(day)) return false;
  return SetDate(Number(year), Number(month), Number(day), time);
}

bool ParseCabrilloTime(std::string_view text, platform::CalendarTime& time) {
  if (text.size() != 4 || !AllDigits(text)) return false;
  return SetTime(Number(text.substr(0, 2)), Number(text.substr(2, 2)), 0, time);
}

}  // namespace logs
