#include "bench/synthetic_log.h"

#include <cstdio>
#include <random>

#include "platform/ole_calendar.h"

namespace bench {
namespace {

constexpr std::size_t kListedStations = 2000;

struct Band {
  const char* name;
  unsigned int cwHz;   // bottom of the CW segment
  unsigned int ssbHz;  // bottom of the phone segment
};
constexpr Band kBands[] = {{"160", 1810000, 1843000}, {"80", 3500000, 3600000},
                           {"40", 7000000, 7060000},  {"20", 14000000, 14150000},
                           {"15", 21000000, 21200000}, {"10", 28000000, 28400000}};

// A call sign of `digits`-th area with a three-letter suffix from `n`.
std::string CallSign(char prefix, std::size_t n) {
  std::string call(1, prefix);
  call += static_cast<char>('1' + n % 9);
  n /= 9;
  for (int i = 0; i < 3; ++i) {
    call += static_cast<char>('A' + n % 26);
    n /= 26;
  }
  return call;
}

std::string Serial(std::size_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%03zu", n);
  return text;
}

}  // namespace

SyntheticLog MakeSyntheticLog(std::size_t count) {
  SyntheticLog log;
  for (std::size_t i = 0; i < kListedStations; ++i) {
    log.listedCalls.push_back(CallSign('R', i * 7 + 3));
    log.regionListText += log.listedCalls.back() + " Member " + std::to_string(i + 1) + "\r\n";
  }
  const std::size_t pool = count / 3 + 50;

  std::mt19937 random(20261206);
  auto chance = [&](unsigned percent) { return random() % 100 < percent; };
  platform::CalendarTime start;
  start.year = 2026;
  start.month = 12;
  start.day = 6;
  const double startDay = platform::CalendarToOleDate(start);

  log.qsos.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    SyntheticQso qso;
    qso.call = chance(20) ? log.listedCalls[random() % kListedStations]
                          : CallSign('P', random() % pool);
    const Band& band = kBands[random() % 6];
    qso.band = band.name;
    if (chance(2)) {
      qso.mode = chance(50) ? "RTTY" : "FM";
    } else {
      static const char* const kModes[] = {"CW", "SSB", "CW", "SSB", "BPSK63", "BPSK62"};
      qso.mode = kModes[random() % 6];
    }
    const bool phone = qso.mode == "SSB" || qso.mode == "FM";
    qso.freqHz = (phone ? band.ssbHz : band.cwHz) + static_cast<unsigned>(random() % 40000);
    qso.rstSent = phone ? "59" : "599";
    qso.rstRcvd = phone ? (chance(80) ? "59" : "57") : (chance(80) ? "599" : "579");
    qso.sentNumber = Serial(i % 9999 + 1);
    qso.rcvdNumber = Serial(random() % 2000 + 1);
    qso.time.dt = startDay + static_cast<double>(i) / 1440.0;
    qso.time.status = COleDateTime::kValid;
    log.qsos.push_back(std::move(qso));
  }
  return log;
}

std::string AdifText(const SyntheticLog& log, const std::string& ownCall) {
  auto field = [](std::string& out, const char* name, const std::string& value) {
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
    out += ' ';
  };
  std::string text = "Synthetic contest log\n<ADIF_VER:5>3.1.4 <PROGRAMID:5>bench <EOH>\n";
  text.reserve(log.qsos.size() * 200);
  for (const SyntheticQso& qso : log.qsos) {
    platform::CalendarTime t;
    platform::OleDateToCalendar(qso.time.dt, t);
    char date[16];
    char time[16];
    char freq[32];
    std::snprintf(date, sizeof date, "%04d%02d%02d", t.year, t.month, t.day);
    std::snprintf(time, sizeof time, "%02d%02d%02d", t.hour, t.minute, t.second);
    std::snprintf(freq, sizeof freq, "%u.%06u", qso.freqHz / 1000000, qso.freqHz % 1000000);
    field(text, "STATION_CALLSIGN", ownCall);
    field(text, "CALL", qso.call);
    field(text, "QSO_DATE", date);
    field(text, "TIME_ON", time);
    field(text, "BAND", qso.band + "M");
    field(text, "FREQ", freq);
    // ADIF names PSK63 as a mode and a submode; it has no name for BPSK62.
    if (qso.mode.rfind("BPSK", 0) == 0) {
      field(text, "MODE", "PSK");
      field(text, "SUBMODE", "PSK63");
    } else {
      field(text, "MODE", qso.mode);
    }
    field(text, "RST_SENT", qso.rstSent);
    field(text, "RST_RCVD", qso.rstRcvd);
    field(text, "STX", qso.sentNumber);
    field(text, "SRX", qso.rcvdNumber);
    text += "<EOR>\n";
  }
  return text;
}

}  // namespace bench
