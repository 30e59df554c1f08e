// The user's date-time form. POSIX renders dd.MM.yyyy H:mm:ss; under Wine the
// user locale follows LC_ALL, and the test runs under a Russian and an English one.
#include "platform/locale_date.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/ole_calendar.h"

namespace platform {
namespace {

double At(int y, int mo, int d, int h, int mi, int s) {
  CalendarTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.hour = h;
  t.minute = mi;
  t.second = s;
  return CalendarToOleDate(t);
}

// Which form to expect: the Windows runs set ZELTA_EXPECTED_DATE_FORM to the
// locale they run under ("ru" or "us"); the POSIX side has its fixed form.
std::string ExpectedForm() {
  const char* form = std::getenv("ZELTA_EXPECTED_DATE_FORM");
  return form ? form : "posix";
}

TEST(UserLocaleDateTimeText, RendersTheUsersForm) {
  if (ExpectedForm() == "posix") {
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 13, 45, 0)), "06.12.2026 13:45:00");
    // One-digit hour without a leading zero.
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 9, 5, 0)), "06.12.2026 9:05:00");
    // Midnight has no time part.
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 0, 0, 0)), "06.12.2026");
  } else if (ExpectedForm() == "ru") {
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 13, 45, 0)), "06.12.2026 13:45:00");
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 0, 0, 0)), "06.12.2026");
    // Whether the hour has a leading zero is the locale's own data; the date
    // (all a run keeps of it) is the same either way.
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 9, 5, 0)).substr(0, 10), "06.12.2026");
  } else if (ExpectedForm() == "us") {
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 13, 45, 0)), "12/6/2026 1:45:00 PM");
    EXPECT_EQ(UserLocaleDateTimeText(At(2026, 12, 6, 0, 0, 0)), "12/6/2026");
  } else {
    FAIL() << "unknown ZELTA_EXPECTED_DATE_FORM " << ExpectedForm();
  }
}

}  // namespace
}  // namespace platform
