// POSIX side of locale_date.h: the form dd.MM.yyyy H:mm:ss.
#include <cstdio>

#include "platform/locale_date.h"
#include "platform/ole_calendar.h"

namespace platform {

std::string UserLocaleDateTimeText(double days) {
  CalendarTime t;
  if (!OleDateToCalendar(days, t)) return std::string();
  char text[64];
  if (t.hour == 0 && t.minute == 0 && t.second == 0) {
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.day, t.month, t.year);
  } else {
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %d:%02d:%02d", t.day, t.month, t.year,
                  t.hour, t.minute, t.second);
  }
  return text;
}

}  // namespace platform
