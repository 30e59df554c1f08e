// The robot end to end over loopback: what an entrant sends and gets back, what is
// refused and why, the organiser's check and publishing, and input that tries to
// become markup, a path or a second request.
#include <httplib.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <future>
#include <sstream>
#include <thread>

#include "adjudication/outputs.h"
#include "host/scoring_run.h"
#include "reports/report_parts.h"
#include "robot/json_text.h"
#include "robot/tests/robot_test_support.h"
#include "text/ascii_text.h"

namespace {

using namespace robot_testing;

constexpr const char* kForm = "application/x-www-form-urlencoded";

// The members of a zip, by name.
std::map<std::string, std::string> Unzip(const std::string& bytes) {
  std::map<std::string, std::string> members;
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, nullptr);
  zip_t* zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, nullptr);
  for (zip_int64_t i = 0; zip != nullptr && i < zip_get_num_entries(zip, 0); ++i) {
    zip_stat_t stat;
    zip_stat_index(zip, i, 0, &stat);
    std::string content(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(zip, i, 0);
    if (zip_fread(file, content.data(), stat.size) == static_cast<zip_int64_t>(stat.size)) {
      members[stat.name] = content;
    }
    if (file) zip_fclose(file);
  }
  if (zip == nullptr) zip_source_free(source);
  if (zip != nullptr) zip_close(zip);
  return members;
}

std::string Field(const httplib::Result& result, const char* name) {
  return result ? robot::JsonField(result->body, name).value_or("") : "";
}

// The organiser's page logged into with `token`: the cookie to send and as set, the
// page and its CSRF token.
struct Session {
  httplib::Headers cookie;
  std::string setCookie, page, csrf;
};
Session LogIn(httplib::Client& client, const std::string& token) {
  const auto login = client.Post("/organiser/login", "token=" + token, kForm);
  Session s{{}, login && login->status == 303 ? login->get_header_value("Set-Cookie") : ""};
  s.cookie = {{"Cookie", s.setCookie.substr(0, s.setCookie.find(';'))}};
  s.page = client.Get("/organiser", s.cookie)->body;
  const std::size_t at = s.page.find("name=\"csrf\" value=\"");
  if (at != std::string::npos) s.csrf = s.page.substr(at + 19, 64);
  return s;
}

// Runs `zelta ARGS`; its exit status and standard output.
int Zelta(const std::string& args, std::string& output) {
  std::FILE* pipe = popen((ZeltaPath() + " " + args + " 2>&1").c_str(), "r");
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RobotService, ReceiptsReplacementsAndTheReceivedList) {
  const ContestFolder contest(6, 40, "Deadline=2099-12-31 2359\n");
  const ServedRobot robot(contest.Path());
  httplib::Client client("127.0.0.1", robot.Port());
  const std::vector<fs::path> logs = contest.Logs();

  auto page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("2099-12-31 23:59 UTC"), std::string::npos) << "the deadline is shown";
  EXPECT_NE(page->body.find("lang=\"ru\""), std::string::npos);
  EXPECT_NE(client.Get("/?lang=en")->body.find("Send the log"), std::string::npos);

  const std::string first = ReadFileBytes(logs[0]);
  auto receipt = client.Post("/api/logs", first, "application/octet-stream");
  ASSERT_TRUE(receipt);
  ASSERT_EQ(receipt->status, 200) << receipt->body;
  const std::string number = Field(receipt, "receipt");
  const std::string call = Field(receipt, "call");
  EXPECT_EQ(call, logs[0].stem().string());
  EXPECT_EQ(std::stoi(Field(receipt, "counted")) + std::stoi(Field(receipt, "repeats")) +
                std::stoi(Field(receipt, "refused")),
            std::stoi(Field(receipt, "qsos")));
  EXPECT_EQ(Field(receipt, "bytes"), std::to_string(first.size()));
  EXPECT_EQ(Field(receipt, "replaces"), "null");
  EXPECT_EQ(Field(receipt, "category").rfind("SINGLE-OP ALL MIX ", 0), 0u) << "as the contest names it";
  // A header that fits no category: the receipt says so and what is allowed.
  const auto odd = client.Post("/api/logs", CabrilloLog("Q5ODD", 3, "CATEGORY-MODE: rtty\r\n"), "text/plain");
  ASSERT_EQ(odd->status, 200) << odd->body;
  EXPECT_EQ(Field(odd, "category"), "unclassified: CATEGORY-OPERATOR: SINGLE-OP; CATEGORY-MODE: rtty");
  EXPECT_NE(odd->body.find("fits none of the contest's categories; allowed: CATEGORY-OPERATOR: SINGLE-OP, "),
            std::string::npos) << odd->body;

  // The receipt again, by its number; not by a number one digit off.
  EXPECT_NE(client.Get("/receipt/" + number)->body.find(call), std::string::npos);
  std::string almost = number;
  almost.back() = almost.back() == 'a' ? 'b' : 'a';
  EXPECT_EQ(client.Get("/receipt/" + almost)->status, 404);

  // The same call again: refused without the receipt, with an older one, taken with it.
  auto again = client.Post("/api/logs", first, "text/plain");
  EXPECT_EQ(again->status, 409);
  EXPECT_NE(Field(again, "error").find(Field(receipt, "received").substr(11, 8)), std::string::npos)
      << "the refusal says when the call's log came";
  auto replaced = client.Post("/api/logs?replaces=" + number, first, "text/plain");
  ASSERT_EQ(replaced->status, 200);
  EXPECT_EQ(Field(replaced, "replaces"), number);
  EXPECT_EQ(client.Post("/api/logs?replaces=" + number, first, "text/plain")->status, 409);
  EXPECT_NE(client.Get("/receipt/" + number)->body.find("class=\"error\""), std::string::npos)
      << "the old receipt says it was replaced";
  auto stale = client.Post("/api/logs?replaces=" + number, CabrilloLog("Q9OTHER", 3), "text/plain");
  EXPECT_EQ(stale->status, 409);
  EXPECT_NE(Field(stale, "error").find("replaced by a later upload"), std::string::npos) << stale->body;
  EXPECT_EQ(Field(stale, "error").find(Field(replaced, "receipt")), std::string::npos) << "the newest stays secret";

  // A mistyped call, replaced with its receipt by the right call's log: the mistyped
  // call counts no more, and a call that has a log keeps it against that receipt.
  const std::string typo = Field(client.Post("/api/logs", CabrilloLog("Q9TYPO", 3), "text/plain"), "receipt");
  auto right = client.Post("/api/logs?replaces=" + typo, CabrilloLog("Q9TYPE", 4), "text/plain");
  ASSERT_EQ(right->status, 200) << right->body;
  EXPECT_EQ(Field(right, "replaces"), typo);
  EXPECT_EQ(client.Get("/api/received")->body.find("Q9TYPO"), std::string::npos);
  auto kept = client.Post("/api/logs?replaces=" + Field(right, "receipt"), first, "text/plain");
  EXPECT_EQ(kept->status, 409);
  EXPECT_NE(Field(kept, "error").find("that of the log of Q9TYPE"), std::string::npos) << kept->body;
  const auto owner = client.Post("/api/logs", CabrilloLog("Q9TYPO", 3), "text/plain");
  EXPECT_EQ(Field(owner, "replaces"), "null") << "the mistyped call's owner needs no receipt: " << owner->body;

  // zelta submit hands a log in from the terminal and says what the robot said.
  std::string said;
  const std::string url = "--robot http://127.0.0.1:" + std::to_string(robot.Port());
  EXPECT_EQ(Zelta("submit " + logs[2].string() + " " + url, said), 0) << said;
  EXPECT_NE(said.find("Receipt:  R-"), std::string::npos) << said;
  said.clear();
  EXPECT_EQ(Zelta("submit " + logs[2].string() + " " + url, said), 1);
  EXPECT_NE(said.find("(409)"), std::string::npos) << said;

  // The organiser corrects the region list while the robot runs: the next upload is
  // scored with it (one listed station of the log, then two, the second a CW QSO that
  // scores a point more as a listed one: twice the multipliers).
  auto scoreWith = [&](const std::string& list, const std::string& call) {
    std::ofstream(contest.Path() / "Plugins" / "zelta.dom", std::ios::binary | std::ios::trunc) << list;
    return std::stoi(Field(client.Post("/api/logs", CabrilloLog(call, 40), "text/plain"), "claimed_score"));
  };
  const int one = scoreWith("Q0WAA\r\n", "Q9AAA");
  EXPECT_GT(one, 0);
  EXPECT_EQ(scoreWith("Q0WAA\r\nQ1WBA\r\nQ9ZZZZ\r\n", "Q9AAB"), 2 * (one + 1));

  // The organiser's page: the counting logs with their problems counted by kind (the
  // upload's own page has them in full), the superseded uploads apart.
  const httplib::Headers bearer = Bearer(contest.Path());
  ASSERT_EQ(client.Post("/api/logs",
                        CabrilloLog("Q9PROB", 3, "QSO: 14000 FM 2026-12-06 0901 Q9PROB 599 001 Q2XYZ 599 017\r\n"),
                        "text/plain")->status,
            200);
  const std::string desk = client.Get("/organiser?lang=en", bearer)->body;
  EXPECT_NE(desk.find("refused 1"), std::string::npos);
  EXPECT_EQ(desk.find("QSO refused:"), std::string::npos);
  const std::size_t superseded = desk.find("id=\"superseded\">Superseded uploads (2)");
  ASSERT_NE(superseded, std::string::npos);
  EXPECT_NE(desk.find(number), std::string::npos);
  EXPECT_GT(desk.find(number), superseded) << "the replaced upload is listed apart, only";

  // A refused upload's bytes are kept for the organiser.
  EXPECT_EQ(client.Get("/organiser/attempts/1", bearer)->body, first);
  EXPECT_EQ(client.Get("/organiser/attempts/999", bearer)->status, 404);
  EXPECT_NE(desk.find("href=\"/organiser/attempts/1\""), std::string::npos);

  // Every upload in one zip for the organiser: the original bytes, superseded ones too.
  const auto zip = client.Get("/api/logs.zip", bearer);
  ASSERT_EQ(zip->status, 200);
  EXPECT_EQ(zip->get_header_value("Content-Type"), "application/zip");
  const auto members = Unzip(zip->body);
  EXPECT_EQ(members.at("logs/" + number.substr(0, 15) + "_" + call + ".cbr"), first);
  EXPECT_EQ(members.at("logs/" + Field(replaced, "receipt").substr(0, 15) + "_" + call + ".cbr"), first);
  const std::string manifest = members.at("manifest.csv");
  EXPECT_EQ(manifest.substr(0, manifest.find('\n')),
            "receipt,call,received,sha256,bytes,category,late,replaces,counts\r");
  auto row = [&](const std::string& receipt) {
    const std::size_t at = manifest.find("\n" + receipt + ",");
    return at == std::string::npos ? std::string() : manifest.substr(at + 1, manifest.find('\r', at) - at - 1);
  };
  EXPECT_EQ(row(number).substr(0, number.size() + call.size() + 2), number + "," + call + ",");
  EXPECT_TRUE(row(number).ends_with(",no,,no")) << "the first upload counts no more: " << row(number);
  EXPECT_TRUE(row(Field(replaced, "receipt")).ends_with(",no," + number + ",yes")) << row(Field(replaced, "receipt"));
  EXPECT_TRUE(row(typo).ends_with(",no")) << "the mistyped call counts no more: " << row(typo);
  EXPECT_EQ(members.size(), 11u) << "ten uploads and the manifest:\n" << manifest;
  for (const auto& entry : fs::directory_iterator(contest.Path() / "robot")) {
    EXPECT_NE(entry.path().extension(), ".zip") << "the archive is removed once sent";
  }
}

// What an entrant may not send is refused saying why, and stores nothing; text from
// logs stays text, and nothing is written outside the robot's folder.
TEST(RobotService, RefusalsSayWhyStoreNothingAndLogTextStaysText) {
  const ContestFolder contest(4, 20);
  const std::vector<std::string> before = FilesOutsideRobot(contest.Path());
  const ServedRobot robot(contest.Path(), 64);
  httplib::Client client("127.0.0.1", robot.Port());
  struct Case {
    const char* what;
    std::string body;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"empty", "", 400, "empty"},
      {"blanks", " \r\n\t", 400, "empty"},
      {"not a log", "Dear committee, my log follows next week.", 400, "neither"},
      {"no own call", "START-OF-LOG: 3.0\r\nQSO: 14000 CW 2026-12-06 0900 Q1ABC 599 001 Q2XYZ 599 017\r\n", 400, "call"},
      {"a call that is a path", CabrilloLog("../../x", 3), 400, "no call sign"},
      {"no QSO", "START-OF-LOG: 3.0\r\nCALLSIGN: Q1ABC\r\nEND-OF-LOG:\r\n", 400, "no QSO"},
      {"over the limit", CabrilloLog("Q1BIG", 1100), 413, "64 KB"},
  };
  for (const Case& c : cases) {
    const auto answer = client.Post("/api/logs", c.body, "text/plain");
    ASSERT_TRUE(answer) << c.what;
    EXPECT_EQ(answer->status, c.status) << c.what;
    EXPECT_NE(Field(answer, "error").find(c.says), std::string::npos) << c.what << ": " << answer->body;
  }
  // The form's refusals are pages that say the same.
  auto page = client.Post("/submit", httplib::MultipartFormDataItems{{"log", "", "x.cbr", ""}});
  EXPECT_EQ(page->status, 400);
  EXPECT_NE(page->body.find("id=\"message\""), std::string::npos);
  EXPECT_EQ(client.Get("/api/received")->body, "{\"logs\": [\n]}\n");

  const std::string log = CabrilloLog("Q1ABC", 4,
                                      "NAME: <script>alert(1)</script>\r\nCATEGORY-POWER: <img src=x>\x1B[2J\r\n"
                                      "SOAPBOX: \"><b>bold</b>\r\nQSO: 14000 CW 2026-12-06 0901 Q1ABC 599 001 "
                                      "<i>Q2</i> 599 017\r\n");
  const auto answer = client.Post("/submit", httplib::MultipartFormDataItems{
                                                 {"log", log, "../../etc/passwd", "text/html"},
                                                 {"email", "op@example.org", "", ""}});
  ASSERT_EQ(answer->status, 200) << answer->body;
  for (const std::string& page : {answer->body, client.Get("/received")->body}) {
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<i>"), std::string::npos);
    EXPECT_EQ(page.find('\x1B'), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x&gt;"), std::string::npos);
  }
  EXPECT_EQ(client.Get("/api/received")->body.find('<'), std::string::npos) << "JSON carries no markup";
  for (const char* list : {"/received", "/api/received"}) {
    EXPECT_NE(client.Get(list)->body.find("Q1ABC"), std::string::npos) << list;
    EXPECT_EQ(client.Get(list)->body.find("example.org"), std::string::npos) << "the organiser's: " << list;
  }
  EXPECT_EQ(client.Post("/api/logs", log + "\r\nEMAIL", "text/plain")->status, 409);
  EXPECT_EQ(client.Post("/submit", httplib::MultipartFormDataItems{{"log", CabrilloLog("Q5MAIL", 2), "", ""},
                                                                  {"email", "a@b.c\r\nBcc: x@y.z", "", ""}})->status,
            400) << "an e-mail address is one line";
  EXPECT_EQ(client.Get("/receipt/%3Cscript%3E")->body.find("<script>"), std::string::npos);

  // A multipart body cut short, and an upload over the limit sent slowly in chunks:
  // answered, and nothing stored (a length over the limit: robot_load_test's attacks).
  const std::string head = "POST /submit HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=b\r\n";
  const std::string part = "--b\r\nContent-Disposition: form-data; name=\"log\"; filename=\"a\"\r\n\r\n" +
                           CabrilloLog("Q7CUT", 5);
  EXPECT_EQ(SendRaw(robot.Port(), {head + "Content-Length: " + std::to_string(part.size()) + "\r\n\r\n" + part}), 400);
  const std::string big(2000, 'x');
  std::vector<std::string> slow = {"POST /api/logs HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"};
  for (int i = 0; i < 40; ++i) slow.push_back("7d0\r\n" + big + "\r\n");
  EXPECT_EQ(SendRaw(robot.Port(), slow, std::chrono::milliseconds(20)), 413);
  EXPECT_EQ(client.Get("/api/received")->body.find("Q7CUT"), std::string::npos);
  EXPECT_EQ(FilesOutsideRobot(contest.Path()), before);

  // From the deadline's minute on nothing is taken, and the answer says until when logs
  // came; up to it, logs are taken. (Away from a minute's end, so that the upload falls
  // within the minute the deadline names.)
  while (zelta::NowUtc().second > 45) std::this_thread::sleep_for(std::chrono::seconds(1));
  const platform::CalendarTime now = zelta::NowUtc();
  const std::string thisMinute = adjudication::TimeText(now);
  const std::string nextMinute = adjudication::TimeText(reports::detail::MovedBy(now, 1));
  const ContestFolder late(4, 20, "Deadline=" + thisMinute + "\n");
  const ContestFolder open(4, 20, "Deadline=" + nextMinute + "\n");
  const ServedRobot closed(late.Path());
  const ServedRobot stillOpen(open.Path());
  const auto refused =
      httplib::Client("127.0.0.1", closed.Port()).Post("/api/logs", CabrilloLog("Q1ABC", 5), "text/plain");
  EXPECT_EQ(refused->status, 403) << "seconds after the deadline";
  EXPECT_NE(Field(refused, "error").find(thisMinute.substr(0, 13) + ":" + thisMinute.substr(13) + " UTC"),
            std::string::npos) << refused->body;
  EXPECT_EQ(httplib::Client("127.0.0.1", stillOpen.Port())
                .Post("/api/logs", CabrilloLog("Q1ABC", 5), "text/plain")->status,
            200) << "before the deadline";
  httplib::Client lateClient("127.0.0.1", closed.Port());
  // The organiser takes a late log with the token; a wrong token changes nothing.
  const std::string token = Token(late.Path());
  EXPECT_EQ(lateClient.Post("/api/logs", {{"Authorization", "Bearer " + token + "0"}}, CabrilloLog("Q1ABC", 5),
                            "text/plain")->status,
            403);
  const auto taken = lateClient.Post("/api/logs", {{"Authorization", "Bearer " + token}}, CabrilloLog("Q1ABC", 5),
                                     "text/plain");
  ASSERT_EQ(taken->status, 200) << taken->body;
  EXPECT_EQ(Field(taken, "late"), "true");
  EXPECT_EQ(robot::JsonField(lateClient.Get("/api/received")->body, "late").value_or(""), "true");
  EXPECT_NE(lateClient.Get("/receipt/" + Field(taken, "receipt"))->body.find("id=\"late\""), std::string::npos);
  // And with the form of the organiser's page, whose CSRF token is one of its fields.
  const Session session = LogIn(lateClient, token);
  ASSERT_NE(session.page.find("name=\"csrf\" value=\"" + session.csrf, session.page.find("action=\"/submit\"")),
            std::string::npos);
  const auto form = [](const std::string& csrf) {
    return httplib::MultipartFormDataItems{{"csrf", csrf, "", ""}, {"log", CabrilloLog("Q2FORM", 5), "q2form.cbr", ""}};
  };
  const std::string& csrf = session.csrf;
  EXPECT_EQ(lateClient.Post("/submit", session.cookie, form(csrf.substr(1) + "0"))->status, 403);
  EXPECT_EQ(lateClient.Post("/submit?csrf=" + csrf, session.cookie, form(""))->status, 403) << "never from the address";
  const auto handedIn = lateClient.Post("/submit", session.cookie, form(csrf));
  EXPECT_EQ(handedIn->status, 200);
  EXPECT_NE(handedIn->body.find("id=\"late\""), std::string::npos);
}

TEST(RobotService, OrganiserChecksAsZeltaAdjudicateAndPublishes) {
  const ContestFolder contest(40, 150);
  const ServedRobot robot(contest.Path());
  httplib::Client client("127.0.0.1", robot.Port());
  for (const fs::path& log : contest.Logs()) {
    ASSERT_EQ(client.Post("/api/logs", ReadFileBytes(log), "text/plain")->status, 200) << log;
  }
  const std::string token = Token(contest.Path());
  ASSERT_EQ(token.size(), 64u);
  EXPECT_EQ(fs::status(contest.Path() / "robot" / "organiser.token").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  // No token, an empty one, a wrong one, one a character short: 401 on every route of
  // the organiser's, and nothing told.
  std::string almost = token;
  almost.pop_back();
  for (const std::string& given : {std::string(), std::string("Bearer "), "Bearer " + almost,
                                   "Bearer " + token + "0", std::string("Basic ") + token}) {
    httplib::Headers headers;
    if (!given.empty()) headers.emplace("Authorization", given);
    for (const char* path : {"/api/check", "/api/publish", "/api/decisions", "/organiser/check", "/organiser/publish",
                             "/organiser/decisions"}) {
      EXPECT_EQ(client.Post(path, headers, "{}", "application/json")->status, 401) << path << " " << given;
    }
    for (const char* path : {"/organiser", "/api/check", "/api/decisions", "/api/logs.zip", "/organiser/attempts/1",
                             "/organiser/logs/R-20261206-0001-0123456789abcdef", "/organiser/results/"}) {
      const auto answer = client.Get(path, headers);
      EXPECT_EQ(answer->status, 401) << path << " " << given;
      EXPECT_EQ(answer->body.find("R-20"), std::string::npos) << path;
    }
  }
  const httplib::Headers bearer = Bearer(contest.Path());
  EXPECT_EQ(client.Post("/api/publish", bearer, "", "text/plain")->status, 409) << "nothing checked yet";
  // As `curl -X POST` sends it: no Content-Length, hence no body, not one awaited.
  EXPECT_EQ(SendRaw(robot.Port(), {"POST /api/publish HTTP/1.1\r\nHost: robot\r\nAuthorization: Bearer " +
                                   token + "\r\n\r\n"}),
            409);

  // The check runs apart: a second one is refused and an upload is served meanwhile.
  httplib::Client checker("127.0.0.1", robot.Port());
  checker.set_read_timeout(std::chrono::seconds(120));
  auto running = std::async(std::launch::async, [&] { return checker.Post("/api/check", bearer, "", "text/plain"); });
  while (Field(client.Get("/api/check", bearer), "running") != "true" &&
         running.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
  }
  ASSERT_NE(running.wait_for(std::chrono::seconds(0)), std::future_status::ready)
      << "the check ended before it could be seen running";
  EXPECT_EQ(client.Post("/api/check", bearer, "", "text/plain")->status, 409);
  EXPECT_EQ(client.Post("/api/logs", CabrilloLog("Q9LATE", 30), "text/plain")->status, 200);
  EXPECT_NE(running.wait_for(std::chrono::seconds(0)), std::future_status::ready)
      << "the upload was answered only after the whole check";
  const auto checked = running.get();
  ASSERT_EQ(checked->status, 200) << checked->body;

  // The same table as zelta adjudicate's on the same logs, rules and region list.
  std::string table;
  ASSERT_EQ(Zelta("adjudicate " + (contest.Path() / "logs").string() + " --dir " + contest.Path().string() +
                      " --rules " + (contest.Path() / "rules.ini").string(), table), 0);
  for (const fs::path& log : contest.Logs()) {
    const std::string call = log.stem().string();
    const std::size_t at = checked->body.find("{\"call\": \"" + call + "\"");
    ASSERT_NE(at, std::string::npos) << call;
    std::istringstream row(table.substr(table.find("\n" + call + " ") + 1));
    std::string rowCall, qsos, claimed, checkedScore;
    row >> rowCall >> qsos >> claimed >> checkedScore;
    const std::string entry = checked->body.substr(at, checked->body.find('}', at) - at);
    EXPECT_EQ(robot::JsonField(entry, "claimed_score"), claimed) << call;
    EXPECT_EQ(robot::JsonField(entry, "checked_score"), checkedScore) << call;
  }

  // Publishing through the organiser's page: a session, its CSRF token, then public results.
  // The secrets count in a form's body or a header, never in the query string.
  EXPECT_EQ(client.Post("/organiser/login?token=" + token, "", kForm)->status, 401);
  const Session login = LogIn(client, token);
  EXPECT_NE(login.setCookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(login.setCookie.find("SameSite=Strict"), std::string::npos);
  const httplib::Headers& session = login.cookie;
  const std::string& csrf = login.csrf;
  ASSERT_EQ(csrf.size(), 64u);
  EXPECT_EQ(client.Post("/organiser/publish", session, "csrf=" + almost, kForm)->status, 401);
  EXPECT_EQ(client.Post("/organiser/publish?csrf=" + csrf, session, "", kForm)->status, 401);
  EXPECT_EQ(client.Get("/results/")->status, 404);
  EXPECT_EQ(client.Get("/organiser/results/", session)->get_header_value("Cache-Control"), "no-store");
  // Unpublished, the results are the owner's alone; published, anyone's on the machine.
  const fs::path csv = contest.Path() / "results" / "results.csv";
  EXPECT_EQ(fs::status(csv.parent_path()).permissions(), fs::perms(0700));
  EXPECT_EQ(fs::status(csv).permissions(), fs::perms(0600));
  EXPECT_EQ(client.Post("/organiser/publish", session, "csrf=" + csrf, kForm)->status, 303);
  EXPECT_EQ(fs::status(csv).permissions(), fs::perms(0600)) << "the newest check stays the organiser's";
  EXPECT_EQ(fs::status(contest.Path() / "published" / "results.csv").permissions(), fs::perms(0644));
  // Logging out ends the session on the robot, with or without the CSRF token.
  EXPECT_EQ(client.Post("/organiser/logout", session, "", kForm)->status, 303);
  EXPECT_EQ(client.Get("/organiser", session)->status, 401);
  const auto results = client.Get("/results/");
  ASSERT_EQ(results->status, 200);
  EXPECT_NE(results->body.find("<table class=\"results\">"), std::string::npos);
  const std::string someCall = contest.Logs()[0].stem().string();
  EXPECT_NE(client.Get("/results/reports/" + someCall + ".txt")->body.find(someCall), std::string::npos);
  // In English beside them: their own pages, whose links to the reports stay English.
  EXPECT_EQ(client.Get("/results/?lang=en")->get_header_value("Location"), "/results/en/");
  EXPECT_NE(client.Get("/results/en/")->body.find("<html lang=\"en\""), std::string::npos);
  EXPECT_NE(client.Get("/results/en/reports/" + someCall + ".txt")->body.find("ZELTA TROPHY: log check of " + someCall),
            std::string::npos);
  for (const char* hidden : {"/results/verdicts.json", "/results/reports/..%2F..%2Frules.ini",
                             "/results/../rules.ini", "/results/reports/../../rules.ini"}) {
    EXPECT_EQ(client.Get(hidden)->status, 404) << hidden;
  }

  // Results published by an earlier robot, served from results/ itself: a robot started
  // on that folder publishes them as its snapshot.
  fs::remove_all(contest.Path() / "published");
  const ServedRobot upgraded(contest.Path());
  httplib::Client upgradedClient("127.0.0.1", upgraded.Port());
  EXPECT_NE(upgradedClient.Get("/results/")->body.find("<table class=\"results\">"), std::string::npos);
}

// The organiser's decisions: refused at their edges, kept as rows, the later one of a
// question holding, and applied by the check: a category moved, a checklog without a
// place, a disqualified entrant apart, a refused attempt's log counted for its call.
TEST(RobotService, OrganiserDecisionsAreRecordedAndChangeTheCheckedResults) {
  const ContestFolder contest(8, 40);
  const ServedRobot robot(contest.Path());
  httplib::Client client("127.0.0.1", robot.Port());
  client.set_read_timeout(std::chrono::seconds(120));
  const std::vector<fs::path> logs = contest.Logs();
  const std::string squatted = logs[0].stem().string(), moved = logs[1].stem().string(),
                    checklog = logs[2].stem().string(), cheat = logs[3].stem().string(),
                    pardoned = logs[4].stem().string();
  // A one-QSO log sent first under an entrant's call; the entrant's real log is refused.
  ASSERT_EQ(client.Post("/api/logs", CabrilloLog(squatted, 1), "text/plain")->status, 200);
  for (const fs::path& log : logs) {
    ASSERT_EQ(client.Post("/api/logs", ReadFileBytes(log), "text/plain")->status, log == logs[0] ? 409 : 200) << log;
  }
  ASSERT_EQ(client.Post("/api/logs", CabrilloLog("Q9RTTY", 5, "CATEGORY: SINGLE-OP RTTY\r\n"), "text/plain")->status, 200);
  const httplib::Headers bearer = Bearer(contest.Path());
  const auto decide = [&](const std::string& json) {
    return client.Post("/api/decisions", bearer, json, "application/json");
  };
  const std::string reason = ", \"reason\": \"the rules\"}";
  for (const auto& [json, status] : std::vector<std::pair<std::string, int>>{
           {"{\"call\": \"" + cheat + "\", \"disqualified\": true", 400},
           {"{\"call\": \"" + cheat + "\", \"promoted\": true" + reason, 400},
           {"{\"call\": \"" + cheat + "\", \"disqualified\": true}", 400},
           {"{\"call\": \"" + cheat + "\", \"checklog\": true, \"disqualified\": true" + reason, 400},
           {"{\"call\": \"" + cheat + "\", \"category\": \"SINGLE-OP ALL RTTY HIGH\"" + reason, 400},
           {"{\"call\": \"Q0NONE\", \"disqualified\": true" + reason, 404},
           {"{\"call\": \"" + squatted + "\", \"accept\": 2" + reason, 404},
           {"{\"call\": \"" + cheat + "\", \"accept\": 1" + reason, 400}}) {
    const auto answer = decide(json);
    EXPECT_EQ(answer->status, status) << json << " " << answer->body;
  }
  EXPECT_NE(decide("{\"call\": \"" + cheat + "\", \"category\": \"X\"" + reason)->body.find("MULTI-OP ALL CW LOW"),
            std::string::npos) << "a refused category names those allowed";

  for (const std::string& json : {"{\"call\": \"" + moved + "\", \"category\": \"MULTI-OP ALL CW HIGH\"" + reason,
                                  "{\"call\": \"" + moved.substr(0, 2) + text::AsciiLower(moved.substr(2)) +
                                      "\", \"category\": \"multi-op all cw low\"" + reason,
                                  "{\"call\": \"" + checklog + "\", \"category\": \"MULTI-OP ALL CW LOW\"" + reason,
                                  "{\"call\": \"" + checklog + "\", \"checklog\": true" + reason,
                                  "{\"call\": \"" + cheat + "\", \"disqualified\": true, \"reason\": \"QSOs made up\"}",
                                  "{\"call\": \"" + squatted + "\", \"accept\": 1" + reason,
                                  "{\"call\": \"" + pardoned + "\", \"disqualified\": true" + reason,
                                  "{\"call\": \"" + pardoned + "\", \"disqualified\": false" + reason,
                                  "{\"call\": \"" + pardoned + "\", \"checklog\": false" + reason}) {
    EXPECT_EQ(decide(json)->status, 201) << json;
  }
  const std::string listed = client.Get("/api/decisions", bearer)->body;
  EXPECT_EQ(listed.find("\"id\": 10"), std::string::npos) << "refusals record nothing: " << listed;
  EXPECT_NE(listed.find("\"category\": \"MULTI-OP ALL CW HIGH\", \"reason\": \"the rules\", \"in_force\": false"),
            std::string::npos) << listed;
  EXPECT_NE(listed.find("\"category\": \"MULTI-OP ALL CW LOW\", \"reason\": \"the rules\", \"in_force\": true"),
            std::string::npos) << listed;

  // From the organiser's page: the CSRF token in the form's body.
  const Session login = LogIn(client, Token(contest.Path()));
  const httplib::Headers& session = login.cookie;
  const std::string& csrf = login.csrf;
  std::string page = login.page;
  EXPECT_NE(page.find("<td>Q9RTTY</td><td>CATEGORY-OPERATOR: SINGLE-OP; CATEGORY: SINGLE-OP RTTY</td>"), std::string::npos)
      << "a log that fits no category is named with its header";
  const std::string form = "call=Q9RTTY&kind=category&value=SINGLE-OP+ALL+CW+QRP&reason=by+mail";
  EXPECT_EQ(client.Post("/organiser/decisions", session, form + "&csrf=0", kForm)->status, 401);
  EXPECT_EQ(client.Post("/organiser/decisions", session, form + "&csrf=" + csrf, kForm)->status, 303);
  page = client.Get("/organiser", session)->body;
  EXPECT_NE(page.find("<td>Q9RTTY</td><td>CATEGORY-OPERATOR: SINGLE-OP; CATEGORY: SINGLE-OP RTTY</td><td>категория SINGLE-OP ALL CW QRP</td>"),
            std::string::npos) << page;
  EXPECT_EQ(page.find("?csrf=" + csrf + "\" id=\"decide"), std::string::npos);

  const auto checked = client.Post("/api/check", bearer, "", "text/plain");
  ASSERT_EQ(checked->status, 200) << checked->body;
  const std::string entry = checked->body.substr(checked->body.find("{\"call\": \"" + squatted + "\""));
  const std::string realLog = ReadFileBytes(logs[0]);
  std::size_t realQsos = 0;
  for (std::size_t at = realLog.find("\nQSO:"); at != std::string::npos; at = realLog.find("\nQSO:", at + 1)) ++realQsos;
  EXPECT_EQ(robot::JsonField(entry.substr(0, entry.find('}')), "qsos"), std::to_string(realQsos))
      << "the accepted attempt's log counts, not the one-QSO log";
  const std::string csv = client.Get("/organiser/results/results.csv", bearer)->body;
  for (const std::string& row : {std::string(",Q9RTTY,SINGLE-OP ALL CW QRP,"), "\r\n1," + moved + ",MULTI-OP ALL CW LOW,",
                                 "\r\n," + checklog + ",", "\r\n," + cheat + ",дисквалифицирован: QSOs made up,"}) {
    EXPECT_NE(csv.find(row), std::string::npos) << row << "\n" << csv;
  }
  EXPECT_LT(csv.find(checklog + ","), csv.find(cheat + ",")) << "the disqualified are listed last";
  EXPECT_EQ(csv.find("\r\n," + pardoned + ","), std::string::npos) << "taken back, checklog false: ranked";
  const std::string results = client.Get("/organiser/results/", bearer)->body;
  EXPECT_NE(results.find("<h2>Дисквалифицированы (без места)</h2>"), std::string::npos);
  EXPECT_NE(results.find("QSOs made up"), std::string::npos);
}

// The robot does not start, and says why, on a folder it cannot serve: among them a
// database its user cannot write (the packaged robot runs as a user of its own), which
// SQLite would open for reading alone, every upload then answered with 500. Root
// writes any file, so the robot runs as nobody then.
TEST(RobotServiceDeathTest, RefusesToStartNamingTheProblem) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> spoil;
    const char* says;
  };
  const Case cases[] = {
      {"a bad deadline", [](const fs::path& dir) { std::ofstream(dir / "rules.ini", std::ios::app) << "Deadline=soon\n"; },
       "rules.ini:"},
      {"robot/ is a file", [](const fs::path& dir) { std::ofstream(dir / "robot") << "x"; }, "cannot write the robot's folder"},
      {"a token others may read",
       [](const fs::path& dir) {
         fs::create_directories(dir / "robot");
         std::ofstream(dir / "robot" / "organiser.token") << std::string(64, 'a');
         fs::permissions(dir / "robot" / "organiser.token", fs::perms::owner_read | fs::perms::others_read);
       },
       "chmod 600"},
      {"no such folder", [](const fs::path& dir) { fs::remove_all(dir); }, "does not exist"},
      {"a database it cannot write",
       [](const fs::path& dir) {
         { const ServedRobot first(dir); }
         fs::permissions(dir / "robot" / "robot.sqlite3", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       },
       "cannot write the robot's database .*robot.sqlite3"},
  };
  for (const Case& c : cases) {
    const ContestFolder contest(4, 10);
    c.spoil(contest.Path());
    EXPECT_EXIT(
        {
          if (geteuid() == 0 && fs::exists(contest.Path())) {
            constexpr uid_t kNobody = 65534;
            if (chown(contest.Path().c_str(), kNobody, kNobody) != 0) std::_Exit(3);
            for (const auto& entry : fs::recursive_directory_iterator(contest.Path())) {
              if (chown(entry.path().c_str(), kNobody, kNobody) != 0) std::_Exit(3);
            }
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0) std::_Exit(3);
          }
          try {
            const ServedRobot robot(contest.Path());
          } catch (const robot::RobotError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            std::exit(0);
          }
          std::exit(1);
        },
        testing::ExitedWithCode(0), c.says) << c.what;
  }
}

}  // namespace
