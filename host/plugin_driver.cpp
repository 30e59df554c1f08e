#include "host/plugin_driver.h"

#include <cstring>

#include "platform/shared_library.h"

namespace zelta {
namespace {

COleDateTime OleDate(const platform::CalendarTime& time) {
  COleDateTime date;
  date.dt = platform::CalendarToOleDate(time);
  date.status = COleDateTime::kValid;
  return date;
}

template <typename Fn>
bool Find(void* library, const char* name, Fn& function, std::string& error) {
  function = reinterpret_cast<Fn>(platform::FindSharedLibrarySymbol(library, name));
  if (function == nullptr) error = std::string("the plug-in has no export ") + name;
  return function != nullptr;
}

}  // namespace

StatsPlugin::~StatsPlugin() { Unload(); }

bool StatsPlugin::Load(const std::string& path, std::string& error) {
  Unload();
  path_ = path;
  library_ = platform::OpenSharedLibrary(path, error);
  if (library_ == nullptr) return false;
  if (Find(library_, "ResetStats0", resetStats_, error) &&
      Find(library_, "AddData0", addData_, error) &&
      Find(library_, "GetResult0", getResult_, error) &&
      Find(library_, "CheckCall0", checkCall_, error) &&
      Find(library_, "IsValidExchg0", isValidExchg_, error) &&
      Find(library_, "GetExchgCount0", getExchgCount_, error)) {
    return true;
  }
  Unload();
  return false;
}

bool StatsPlugin::Reload(std::string& error) {
  const std::string path = path_;
  return Load(path, error);
}

void StatsPlugin::Unload() {
  platform::CloseSharedLibrary(library_);
  library_ = nullptr;
}

int StatsPlugin::ResetStats(const std::string& ownCall, bool reportRequested,
                            const platform::CalendarTime& first) {
  COleDateTime firstDate = OleDate(first);
  COleDateTime secondDate = firstDate;
  // Every text the host passes is a valid string, the unused ones empty.
  return resetStats_("", reportRequested ? 1 : 0, ownCall.c_str(), &firstDate, &secondDate, "",
                     "", "", "", "", "", "", "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "");
}

int StatsPlugin::AddData(const std::string& runOwnCall, const logs::LogQso& qso) {
  COleDateTime time = OleDate(qso.time);
  // Positions 4 to 6 are further date-times of the QSO; the plug-in ignores them.
  COleDateTime end = time, other1 = time, other2 = time;
  const std::string& ownCall = qso.ownCall.empty() ? runOwnCall : qso.ownCall;
  return addData_(ownCall.c_str(), qso.call.c_str(), &time, &end, &other1, &other2, 0u,
                  qso.freqHz, qso.mode.c_str(), qso.rstSent.c_str(), qso.rstRcvd.c_str(),
                  qso.sentNumber.c_str(), qso.rcvdNumber.c_str(), "", "", "", "", "", "", "",
                  "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "", qso.band.c_str(), "");
}

std::string StatsPlugin::GetResult(int& score) {
  score = 0;
  const char* text = getResult_(&score);
  return text ? std::string(text) : std::string();
}

int StatsPlugin::CheckCall(const std::string& call, const std::string& band,
                           const std::string& mode, std::string& message) {
  // The host provides two writable buffers; the message needs at least 33 bytes.
  char unused[256] = {};
  char buffer[256] = {};
  const int result = checkCall_(call.c_str(), 0u, 0u, mode.c_str(), "", "", "", "", "", "", "",
                                "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "", "", "",
                                band.c_str(), "", unused, buffer);
  buffer[sizeof buffer - 1] = '\0';
  message = buffer;
  return result;
}

int StatsPlugin::IsValidExchg(const std::string& exchange) {
  return isValidExchg_(exchange.c_str(), "", "", "", 0, 0, 0);
}

int StatsPlugin::GetExchgCount() { return getExchgCount_("", "", ""); }

}  // namespace zelta
