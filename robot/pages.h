// The robot's web pages, in Russian (the contest's language) or English: plain HTML
// with the style inline, no script, every text that came from a log escaped.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ole_calendar.h"
#include "adjudication/verdicts.h"
#include "reports/reports.h"
#include "robot/store.h"

namespace robot {

using reports::Language;

// What the pages say about the contest.
struct ContestInfo {
  std::optional<platform::CalendarTime> start;
  std::optional<platform::CalendarTime> end;
  std::optional<platform::CalendarTime> deadline;
  std::size_t maxUploadKb = 10240;
};

// Where the organiser's check stands.
struct CheckStatus {
  bool running = false;
  std::string stage;             // "scoring the claims", ...; empty before the first
  std::size_t done = 0;
  std::size_t total = 0;
  std::string finished;          // UTC time the last check ended; empty when none has
  std::string error;             // why the last check failed; empty when it did not
  std::string summaryJson = "[]";  // the last check's table, one object per log
  int logs = 0;
  std::string resultsChecked;    // when the check that wrote the newest results ended
  std::string publishedChecked;  // when the check whose results are published ended
  bool hasResults = false;       // results of a whole check are there to publish
  bool published = false;
};

// UploadPage()
// The contest's name, period and deadline, and the form: the log file or its text,
// an optional e-mail address and the receipt of the upload to replace.
std::string UploadPage(Language language, const ContestInfo& contest);

// ReceiptPage()
// What the receipt says; `justReceived` for the answer to the upload itself.
std::string ReceiptPage(Language language, const Upload& upload, bool justReceived);

// ReceivedPage()
// The calls whose logs were received: call, category, time of the newest upload.
std::string ReceivedPage(Language language, const std::vector<Upload>& newest);

// MessagePage()
// A page that says what went wrong and what to do, with a link back.
std::string MessagePage(Language language, const std::string& title, const std::string& text);

// LoginPage(), OrganiserPage()
// The organiser's login form, and the organiser's page: every upload, the refused
// replacement attempts, the check and publishing. `csrf` goes into every form.
std::string LoginPage(Language language, bool failed);
// `decisions` is DecisionsSection()'s part of it.
std::string OrganiserPage(Language language, const std::vector<Upload>& uploads,
                          const std::vector<ReplacementAttempt>& attempts,
                          const CheckStatus& check, bool published, const std::string& csrf,
                          const std::string& decisions = "");

// DecisionsSection()
// The organiser's page's part about decisions: the counting logs whose header fits
// no category, with that header; every decision, whether it is in force; a form for
// each kind, carrying `csrf` in its body.
std::string DecisionsSection(Language language, const std::vector<Upload>& uploads,
                             const std::vector<Decision>& decisions, const adjudication::Rules& rules,
                             const std::string& csrf);

// ReceiptJson(), ReceivedJson()
// The receipt as the API gives it, and the received list.
std::string ReceiptJson(const Upload& upload);
std::string ReceivedJson(const std::vector<Upload>& newest);

// PeriodTime()
// "2026-12-06 09:00".
std::string PeriodTime(const platform::CalendarTime& time);

}  // namespace robot
