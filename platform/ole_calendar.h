// Conversion between OLE automation dates and calendar time, the same on every platform.
//
// An OLE date counts days since 30 December 1899 00:00. The integer part is the
// day and the fraction the time of day; before that date the day is negative while
// the time still counts forward from midnight (-1.25 is 29 December 1899 06:00).
#pragma once

namespace platform {

struct CalendarTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// OleDateToCalendar()
// Converts `days` to calendar time rounded to the nearest second. Returns false,
// leaving `out` alone, when `days` is not finite or the rounded time falls outside
// the years 100 to 9999.
bool OleDateToCalendar(double days, CalendarTime& out);

// CalendarToOleDate()
// The OLE date of a calendar time (no range check; fields must be in range).
double CalendarToOleDate(const CalendarTime& time);

}  // namespace platform
