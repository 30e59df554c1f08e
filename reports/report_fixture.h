// Checked contests built in code for the reports' tests and the browser check: one place
// to switch them to simulated contests.
#pragma once

#include "adjudication/verdicts.h"

namespace reports::fixture {

// Four entrants in two categories and one without, every verdict at least once, one log
// with a fast clock, and busted calls and numbers that point back at the sender's log.
adjudication::Contest SmallContest();

// Logs as an attacker or a broken logger sends them: markup and control bytes in the
// header fields, Windows-1251 and invalid UTF-8, calls that look like paths or a Windows
// device, and two calls that differ only in letter case.
adjudication::Contest HostileContest();

}  // namespace reports::fixture
