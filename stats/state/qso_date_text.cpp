#include "stats/state/qso_date_text.h"

#include <cstdio>

#include "platform/ole_calendar.h"

namespace stats {

std::string QsoDateText(const COleDateTime& time) {
  platform::CalendarTime t;
  if (time.status != COleDateTime::kValid || !platform::OleDateToCalendar(time.dt, t)) {
    return std::string();
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return text;
}

}  // namespace stats
