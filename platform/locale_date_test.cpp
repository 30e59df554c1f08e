// The user's date-time form. POSIX renders dd.MM.yyyy H:mm:ss; under Wine the user
// locale follows LC_ALL, and the runs set ZELTA_EXPECTED_DATE_FORM to it ("ru", "us").
#include "platform/locale_date.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/ole_calendar.h"

namespace platform {
namespace {

TEST(UserLocaleDateTimeText, RendersTheUsersForm) {
  const char* env = std::getenv("ZELTA_EXPECTED_DATE_FORM");
  const std::string form = env ? env : "posix";
  const bool us = form == "us";
  ASSERT_TRUE(us || form == "posix" || form == "ru") << form;
  EXPECT_EQ(UserLocaleDateTimeText(CalendarToOleDate({2026, 12, 6, 13, 45})),
            us ? "12/6/2026 1:45:00 PM" : "06.12.2026 13:45:00");
  EXPECT_EQ(UserLocaleDateTimeText(CalendarToOleDate({2026, 12, 6})), us ? "12/6/2026" : "06.12.2026");
  // A one-digit hour; whether it has a leading zero is the Russian locale's own data.
  if (form == "posix") EXPECT_EQ(UserLocaleDateTimeText(CalendarToOleDate({2026, 12, 6, 9, 5})), "06.12.2026 9:05:00");
}

}  // namespace
}  // namespace platform
