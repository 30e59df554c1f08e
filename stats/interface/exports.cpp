// The ten exported entry points. Each turns its C arguments into C++ values (a
// null text is an empty text, a null date a null date), calls one function of a
// concern, and lets no exception cross into the host.
#include <cstdint>
#include <string>
#include <type_traits>

#include "stats/accounting/accounting.h"
#include "stats/call_check/call_check.h"
#include "stats/call_check/exchange_rule.h"
#include "stats/dialogs/emission_setup_dialog.h"
#include "stats/interface/export.h"
#include "stats/state/ole_date_time.h"
#include "stats/state/plugin_state.h"
#include "stats/interface/stats_abi.h"
#include "stats/interface/run_lifecycle.h"
#include "stats/summary/summary.h"

namespace {

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

COleDateTime Date(const COleDateTime* date) {
  if (date == nullptr) {
    COleDateTime none;
    none.status = COleDateTime::kNull;
    return none;
  }
  return *date;
}

stats::QsoArguments Qso(const char* ownCall, const char* call, const COleDateTime* time,
                 unsigned int freqHz, const char* mode, const char* rstSent, const char* rstRcvd,
                 const char* sentNumber, const char* rcvdNumber, const char* aux23,
                 const char* aux30, const char* band) {
  stats::QsoArguments qso;
  qso.ownCall = Text(ownCall);
  qso.call = Text(call);
  qso.time = Date(time);
  qso.freqHz = freqHz;
  qso.mode = Text(mode);
  qso.rstSent = Text(rstSent);
  qso.rstRcvd = Text(rstRcvd);
  qso.sentNumber = Text(sentNumber);
  qso.rcvdNumber = Text(rcvdNumber);
  qso.aux23 = Text(aux23);
  qso.aux30 = Text(aux30);
  qso.band = Text(band);
  return qso;
}

}  // namespace

extern "C" {

/*===-- Scoring run ---------------------------------------------------------===*/

STATS_EXPORT int ResetStats0(const char*, int reportRequested, const char* ownCall,
                             COleDateTime* firstDateTime, COleDateTime*, const char*, const char*,
                             const char*, const char*, const char*, const char*, const char*,
                             const char*, const char*, const char*, int, int, int, double,
                             double, const char*, const char*, const char*) {
  try {
    return stats::ResetStats(stats::Plugin(), reportRequested, Text(ownCall), Date(firstDateTime));
  } catch (...) {
    return 1;
  }
}

STATS_EXPORT int AddData0(const char* ownCall, const char* call, COleDateTime* time,
                          COleDateTime*, COleDateTime*, COleDateTime*, unsigned int,
                          unsigned int freqHz, const char* mode, const char* rstSent,
                          const char* rstRcvd, const char* sentNumber, const char* rcvdNumber,
                          const char*, const char*, const char*, const char*, const char*,
                          const char*, const char*, const char*, const char*, const char* aux23,
                          int, int, int, double, double, const char*, const char* aux30,
                          const char*, const char* band, const char*) {
  try {
    return stats::AddData(stats::Plugin().run, Qso(ownCall, call, time, freqHz, mode, rstSent, rstRcvd,
                                     sentNumber, rcvdNumber, aux23, aux30, band));
  } catch (...) {
    return 0;
  }
}

STATS_EXPORT int RemoveData0(const char* ownCall, const char* call, COleDateTime* time,
                             COleDateTime*, COleDateTime*, COleDateTime*, unsigned int,
                             unsigned int freqHz, const char* mode, const char* rstSent,
                             const char* rstRcvd, const char* sentNumber, const char* rcvdNumber,
                             const char*, const char*, const char*, const char*, const char*,
                             const char*, const char*, const char*, const char*,
                             const char* aux23, int, int, int, double, double, const char*,
                             const char* aux30, const char*, const char* band, const char*) {
  try {
    return stats::RemoveData(stats::Plugin().run, Qso(ownCall, call, time, freqHz, mode, rstSent, rstRcvd,
                                        sentNumber, rcvdNumber, aux23, aux30, band));
  } catch (...) {
    return 0;
  }
}

STATS_EXPORT const char* GetResult0(int* score) {
  try {
    return stats::GetResult(stats::Plugin(), score);
  } catch (...) {
    return "";
  }
}

/*===-- While a QSO is typed -------------------------------------------------===*/

STATS_EXPORT int CheckCallFunc0(const char* call, unsigned int, unsigned int, const char* mode,
                                const char*, const char*, const char*, const char*, const char*,
                                const char*, const char*, const char*, const char*, const char*,
                                int, int, int, double, double, const char*, const char*,
                                const char*, const char*, const char*, const char* band,
                                const char*, char*, char* message) {
  try {
    return stats::CheckCall(stats::Plugin().run, Text(call), Text(band), Text(mode), message);
  } catch (...) {
    return stats::kOrdinary;
  }
}

STATS_EXPORT int StatsGetExchgCount0(const char*, const char*, const char*) {
  return stats::GetExchgCount();
}

STATS_EXPORT int StatsIsValidExchg0(const char* exchange, const char*, const char*, const char*,
                                    int, int, int flag) {
  try {
    return stats::IsValidExchg(Text(exchange), flag);
  } catch (...) {
    return 0;
  }
}

/*===-- Setup and scoring sets -----------------------------------------------===*/

STATS_EXPORT void SetupSet0(void) {
  try {
    stats::SetupSet(stats::Plugin());
  } catch (...) {
  }
}

STATS_EXPORT int GetNumberOfSets(void) { return stats::NumberOfSets(); }

STATS_EXPORT const char* GetSetName(int index) { return stats::SetName(index); }

}  // extern "C"

// The plain names of three exports are aliases of their declared names.
STATS_EXPORT_ALIAS(CheckCall0, CheckCallFunc0)
STATS_EXPORT_ALIAS(GetExchgCount0, StatsGetExchgCount0)
STATS_EXPORT_ALIAS(IsValidExchg0, StatsIsValidExchg0)

// Each export has exactly the type the hosts call it through.
static_assert(std::is_same_v<decltype(&ResetStats0), ResetStats0Fn>);
static_assert(std::is_same_v<decltype(&AddData0), QsoDataFn>);
static_assert(std::is_same_v<decltype(&RemoveData0), QsoDataFn>);
static_assert(std::is_same_v<decltype(&GetResult0), GetResult0Fn>);
static_assert(std::is_same_v<decltype(&CheckCallFunc0), CheckCall0Fn>);
static_assert(std::is_same_v<decltype(&StatsGetExchgCount0), GetExchgCount0Fn>);
static_assert(std::is_same_v<decltype(&StatsIsValidExchg0), IsValidExchg0Fn>);
static_assert(std::is_same_v<decltype(&SetupSet0), SetupSet0Fn>);
static_assert(std::is_same_v<decltype(&GetNumberOfSets), GetNumberOfSetsFn>);
static_assert(std::is_same_v<decltype(&GetSetName), GetSetNameFn>);
