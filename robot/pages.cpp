#include "robot/pages.h"

#include <cstdio>
#include <map>

#include "reports/report_parts.h"
#include "robot/json_text.h"
#include "robot/receipt_problems.h"

namespace robot {
namespace {

using reports::detail::HtmlText;

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em auto;color:#222;max-width:900px;padding:0 1em}"
    "h1{font-size:1.6em}h2{margin-top:1.4em;border-bottom:1px solid #ccc}"
    "table{border-collapse:collapse;margin-bottom:1em}"
    "th,td{border:1px solid #ccc;padding:.25em .6em;text-align:left;vertical-align:top}"
    "th{background:#eef2f7}td.num{text-align:right}"
    "form.upload label{display:block;margin:.8em 0 .2em;font-weight:bold}"
    "textarea{width:100%;box-sizing:border-box;height:8em;font-family:monospace}"
    "input[type=email],input[type=text],input[type=password]{width:22em;max-width:100%}"
    "button{margin-top:1em;padding:.4em 1.2em;font-size:1em}"
    ".receipt{font-family:monospace;font-size:1.3em;background:#eef2f7;padding:.2em .5em}"
    ".note{color:#555;font-size:.9em}.lang{float:right}.old{color:#777}"
    ".problem td:first-child{text-align:right}.error{color:#a00}";

const char* Pick(Language language, const char* russian, const char* english) {
  return language == Language::kEnglish ? english : russian;
}

// The words the results page uses too.
const char* CallWord(Language language) { return reports::detail::WordingFor(language).tableHeads[1]; }
const char* CategoryWord(Language language) { return reports::detail::WordingFor(language).category; }

std::string LangQuery(Language language) {
  return language == Language::kEnglish ? "?lang=en" : "";
}

std::string Page(Language language, const std::string& title, const std::string& body,
                 const std::string& here, const std::string& head = "") {
  const bool english = language == Language::kEnglish;
  // The other language's link keeps the reader on the same page.
  const std::string other = english ? here : here + "?lang=en";
  return "<!DOCTYPE html>\n<html lang=\"" + std::string(english ? "en" : "ru") +
         "\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<meta name=\"referrer\" content=\"no-referrer\">\n" + head +
         "<title>" + HtmlText(title) + "</title>\n<style>" + kStyle +
         "</style>\n</head>\n<body>\n<p class=\"lang\"><a href=\"" + other + "\">" +
         (english ? "По-русски" : "English") + "</a></p>\n" + body + "</body>\n</html>\n";
}

std::string Cell(const std::string& html, bool number = false) {
  return std::string(number ? "<td class=\"num\">" : "<td>") + html + "</td>";
}

std::string Num(long long value) { return std::to_string(value); }

// "2026-12-06T14:03:12Z" as "2026-12-06 14:03:12 UTC".
std::string ShownTime(const std::string& iso) {
  if (iso.size() != 20) return HtmlText(iso);
  return HtmlText(iso.substr(0, 10) + " " + iso.substr(11, 8) + " UTC");
}

std::string Hidden(const char* name, const std::string& value) {
  return "<input type=\"hidden\" name=\"" + std::string(name) + "\" value=\"" + HtmlText(value) +
         "\">";
}

std::string LangField(Language language) {
  return language == Language::kEnglish ? Hidden("lang", "en") : "";
}

// Every problem by its kind, below the list (which tells runs once and stops at 200).
std::string ProblemCounts(const std::string& countsJson, Language language) {
  static const struct {
    const char* kind;
    const char* russian;
    const char* english;
  } kKinds[] = {{"outside_period", "QSO вне периода соревнования", "QSOs outside the contest period"},
                {"refused", "QSO не засчитано", "QSOs refused"},
                {"skipped", "строк пропущено", "lines skipped"},
                {"repeats", "замечаний о повторах", "notes of repeats"},
                {"log", "прочих замечаний", "other notes"}};
  const std::map<std::string, long long> counts = ReadProblemCounts(countsJson);
  std::string text;
  for (const auto& kind : kKinds) {
    const auto count = counts.find(kind.kind);
    if (count == counts.end() || count->second == 0) continue;
    text += (text.empty() ? "" : ", ") + Num(count->second) + " " + Pick(language, kind.russian, kind.english);
  }
  if (text.empty()) return "";
  return "<p class=\"problem-counts\">" + std::string(Pick(language, "Всего: ", "In all: ")) + HtmlText(text) +
         ".</p>\n";
}

std::string ProblemRows(const std::string& problemsJson, Language language) {
  const std::vector<Problem> problems = ReadProblems(problemsJson);
  if (problems.empty()) {
    return "<p>" + std::string(Pick(language, "Замечаний нет.", "No problems.")) + "</p>\n";
  }
  std::string rows = "<table class=\"problems\">\n<thead><tr><th>" +
                     std::string(Pick(language, "Строка", "Line")) + "</th><th>" +
                     Pick(language, "Замечание", "Problem") + "</th></tr></thead>\n<tbody>\n";
  for (const Problem& problem : problems) {
    rows += "<tr class=\"problem\">" + Cell(problem.line > 0 ? Num(problem.line) : "", true) +
            Cell(HtmlText(problem.text)) + "</tr>\n";
  }
  return rows + "</tbody>\n</table>\n";
}

}  // namespace

std::string PeriodTime(const platform::CalendarTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return text;
}

std::string UploadPage(Language language, const ContestInfo& contest) {
  std::string body = "<h1>ZELTA TROPHY</h1>\n<h2>" +
                     std::string(Pick(language, "Приём отчётов", "Log submission")) + "</h2>\n";
  if (contest.start && contest.end) {
    body += "<p>" + std::string(Pick(language, "Соревнование: ", "Contest period: ")) +
            PeriodTime(*contest.start) + " – " + PeriodTime(*contest.end) + " UTC</p>\n";
  }
  if (contest.deadline) {
    body += "<p>" + std::string(Pick(language, "Отчёты принимаются до ", "Logs are received until ")) +
            PeriodTime(*contest.deadline) + " UTC.</p>\n";
  }
  body += "<form class=\"upload\" method=\"post\" action=\"/submit" + LangQuery(language) + "\" "
          "enctype=\"multipart/form-data\" accept-charset=\"utf-8\">\n" + LangField(language) +
          "<label for=\"log\">" +
          Pick(language, "Файл отчёта (Cabrillo или ADIF)", "Log file (Cabrillo or ADIF)") +
          "</label>\n<input type=\"file\" id=\"log\" name=\"log\">\n"
          "<label for=\"text\">" +
          Pick(language, "…или текст отчёта", "…or the text of the log") +
          "</label>\n<textarea id=\"text\" name=\"text\"></textarea>\n"
          "<label for=\"email\">" +
          Pick(language, "Адрес эл. почты (необязательно; виден только организатору)",
               "E-mail address (optional; only the organiser sees it)") +
          "</label>\n<input type=\"email\" id=\"email\" name=\"email\" maxlength=\"254\">\n"
          "<label for=\"replaces\">" +
          Pick(language, "Номер квитанции прежней загрузки (только чтобы заменить свой отчёт)",
               "Receipt of your earlier upload (only to replace your log)") +
          "</label>\n<input type=\"text\" id=\"replaces\" name=\"replaces\" maxlength=\"64\" "
          "autocomplete=\"off\">\n<p class=\"note\">" +
          HtmlText(Pick(language, "Не более ", "At most ")) + Num(static_cast<long long>(contest.maxUploadKb)) +
          Pick(language, " КБ. Квитанция с номером и подсчётом очков появится сразу.",
               " KB. The receipt, with its number and your score, comes at once.") +
          "</p>\n<button type=\"submit\">" + Pick(language, "Отправить отчёт", "Send the log") +
          "</button>\n</form>\n<p><a href=\"/received" + LangQuery(language) + "\">" +
          Pick(language, "Полученные отчёты", "Logs received") + "</a></p>\n";
  return Page(language, Pick(language, "ZELTA TROPHY: приём отчётов", "ZELTA TROPHY: log submission"),
              body, "/");
}

std::string ReceiptPage(Language language, const Upload& upload, bool justReceived) {
  const UploadSummary& s = upload.summary;
  std::string body = "<h1>" + std::string(Pick(language, "Квитанция", "Receipt")) + "</h1>\n";
  if (justReceived) {
    body += "<p>" + std::string(Pick(language, "Отчёт получен и сохранён. Номер квитанции:",
                                     "Your log is received and stored. Receipt number:")) +
            "</p>\n";
  }
  body += "<p><span class=\"receipt\" id=\"receipt\">" + HtmlText(upload.receipt) + "</span></p>\n";
  if (justReceived) {
    body += "<p class=\"note\">" +
            std::string(Pick(language,
                             "Сохраните номер: только с ним можно заменить этот отчёт или снова "
                             "открыть квитанцию. Письмо не отправляется.",
                             "Keep the number: only with it can this log be replaced or this "
                             "receipt be opened again. No e-mail is sent.")) + "</p>\n";
  }
  if (upload.supersededBy) {
    body += "<p class=\"error\">" +
            std::string(Pick(language, "Этот отчёт заменён более поздней загрузкой.",
                             "This log has been replaced by a later upload.")) + "</p>\n";
  }
  auto row = [&](const char* ru, const char* en, const std::string& html, const char* id = "") {
    body += "<tr><th>" + std::string(en ? Pick(language, ru, en) : ru) + "</th><td" +
            (*id ? " id=\"" + std::string(id) + "\"" : std::string()) + ">" + html + "</td></tr>\n";
  };
  body += "<table class=\"receipt-fields\">\n";
  row(CallWord(language), nullptr, HtmlText(s.call), "call");
  row("Получен", "Received", ShownTime(upload.received));
  row(CategoryWord(language), nullptr, HtmlText(s.category));
  row("Формат", "Format", s.format == "adif" ? "ADIF" : "Cabrillo");
  row("Размер, байт", "Size, bytes", Num(s.bytes));
  row("SHA-256", "SHA-256", HtmlText(s.sha256));
  row("Связей прочитано", "QSOs read", Num(s.qsos));
  row("Засчитано", "Counted", Num(s.counted));
  row("Точных повторов", "Exact repeats", Num(s.repeats));
  row("Отклонено", "Refused", Num(s.refused));
  row("Пропущено строк", "Lines skipped", Num(s.skippedLines));
  row("Результат (подсчёт модуля)", "Score (the plug-in's)", Num(s.claimedScore), "score");
  row("Заявлено в отчёте", "Claimed in the log",
      s.logClaimedScore ? Num(*s.logClaimedScore) : std::string("—"));
  if (upload.replaces) row("Заменяет", "Replaces", HtmlText(*upload.replaces));
  if (upload.late) row("Принят после срока", "Taken after the deadline", Pick(language, "да, организатором", "yes, by the organiser"), "late");
  body += "</table>\n<h2>" + std::string(Pick(language, "Замечания", "Problems")) + "</h2>\n" +
          ProblemRows(s.problemsJson, language) + ProblemCounts(s.problemCountsJson, language) + "<p><a href=\"/" + LangQuery(language) + "\">" +
          Pick(language, "Приём отчётов", "Log submission") + "</a> · <a href=\"/received" +
          LangQuery(language) + "\">" + Pick(language, "Полученные отчёты", "Logs received") +
          "</a></p>\n";
  return Page(language, Pick(language, "ZELTA TROPHY: квитанция", "ZELTA TROPHY: receipt"), body,
              "/receipt/" + HtmlText(upload.receipt), "<meta name=\"robots\" content=\"noindex\">\n");
}

std::string ReceivedPage(Language language, const std::vector<Upload>& newest) {
  std::string body = "<h1>" + std::string(Pick(language, "Полученные отчёты", "Logs received")) +
                     "</h1>\n<p>" + Pick(language, "Отчётов: ", "Logs: ") +
                     Num(static_cast<long long>(newest.size())) + "</p>\n<table class=\"received\">\n"
                     "<thead><tr><th>" + CallWord(language) + "</th><th>" +
                     CategoryWord(language) + "</th><th>" +
                     Pick(language, "Получен", "Received") + "</th></tr></thead>\n<tbody>\n";
  for (const Upload& upload : newest) {
    body += "<tr>" + Cell(HtmlText(upload.summary.call)) + Cell(HtmlText(upload.summary.category)) +
            Cell(ShownTime(upload.received) +
                 (upload.late ? std::string(Pick(language, " (после срока)", " (late)")) : std::string())) +
            "</tr>\n";
  }
  body += "</tbody>\n</table>\n<p><a href=\"/" + LangQuery(language) + "\">" +
          Pick(language, "Приём отчётов", "Log submission") + "</a></p>\n";
  return Page(language, Pick(language, "ZELTA TROPHY: полученные отчёты", "ZELTA TROPHY: logs received"),
              body, "/received");
}

std::string MessagePage(Language language, const std::string& title, const std::string& text) {
  const std::string body = "<h1>" + HtmlText(title) + "</h1>\n<p class=\"error\" id=\"message\">" +
                           HtmlText(text) + "</p>\n<p><a href=\"/" + LangQuery(language) + "\">" +
                           Pick(language, "Вернуться к приёму отчётов", "Back to log submission") +
                           "</a></p>\n";
  return Page(language, "ZELTA TROPHY: " + title, body, "/");
}

std::string LoginPage(Language language, bool failed) {
  std::string body = "<h1>" + std::string(Pick(language, "Организатор", "Organiser")) + "</h1>\n";
  if (failed) {
    body += "<p class=\"error\">" + std::string(Pick(language, "Неверный ключ.", "Wrong token.")) +
            "</p>\n";
  }
  body += "<form method=\"post\" action=\"/organiser/login\">\n" + LangField(language) +
          "<label for=\"token\">" +
          Pick(language, "Ключ организатора (файл robot/organiser.token)",
               "The organiser's token (the file robot/organiser.token)") +
          "</label><br>\n<input type=\"password\" id=\"token\" name=\"token\" "
          "autocomplete=\"off\">\n<button type=\"submit\" id=\"login\">" +
          Pick(language, "Войти", "Log in") + "</button>\n</form>\n";
  return Page(language, Pick(language, "ZELTA TROPHY: организатор", "ZELTA TROPHY: organiser"), body,
              "/organiser");
}

namespace {

// ProblemCountsCell()
// An upload's problems as counts by kind: "refused 6 · outside the period 2 · ...".
// The counts kept with the receipt; a receipt of before them is counted from its list.
std::string ProblemCountsCell(const UploadSummary& s, Language language) {
  static const char* const kKinds[] = {"refused", "outside_period", "repeats", "skipped", "log"};
  static const char* const kNames[][2] = {{"отклонено", "refused"},
                                          {"вне периода", "outside the period"},
                                          {"повторы", "exact repeats"},
                                          {"пропущено", "skipped"},
                                          {"предупреждения", "warnings"}};
  std::map<std::string, long long> counts = ReadProblemCounts(s.problemCountsJson);
  if (counts.empty()) {
    for (const Problem& p : ReadProblems(s.problemsJson)) {
      const std::string_view text(p.text);
      ++counts[text.starts_with("QSO refused:")                      ? "refused"
               : text.starts_with("QSO outside the contest period")   ? "outside_period"
               : text.find(" exact repeat") != std::string_view::npos ? "repeats"
               : text.starts_with("skipped: ")                       ? "skipped"
                                                                     : "log"];
    }
  }
  std::string out;
  for (std::size_t k = 0; k < std::size(kKinds); ++k) {
    const auto count = counts.find(kKinds[k]);
    if (count == counts.end() || count->second == 0) continue;
    out += (out.empty() ? "" : " · ") + std::string(Pick(language, kNames[k][0], kNames[k][1])) + " " +
           Num(count->second);
  }
  return out;
}

}  // namespace

std::string OrganiserPage(Language language, const std::vector<Upload>& uploads,
                          const std::vector<ReplacementAttempt>& attempts,
                          const CheckStatus& check, bool published, const std::string& csrf,
                          const std::string& decisions) {
  const std::string csrfField = Hidden("csrf", csrf) + LangField(language);
  std::string body = "<h1>" + std::string(Pick(language, "Организатор", "Organiser")) + "</h1>\n";
  // The check and publishing.
  body += "<h2>" + std::string(Pick(language, "Проверка и публикация", "Check and publish")) + "</h2>\n";
  if (check.running) {
    body += "<p id=\"check-status\">" + std::string(Pick(language, "Идёт проверка: ", "Checking: ")) +
            HtmlText(check.stage) + " " + Num(static_cast<long long>(check.done)) + " / " +
            Num(static_cast<long long>(check.total)) + "</p>\n";
  } else if (!check.error.empty()) {
    body += "<p class=\"error\" id=\"check-status\">" +
            std::string(Pick(language, "Проверка не удалась: ", "The check failed: ")) +
            HtmlText(check.error) + "</p>\n";
  } else if (!check.finished.empty()) {
    body += "<p id=\"check-status\">" +
            std::string(Pick(language, "Последняя проверка: ", "Last check: ")) +
            ShownTime(check.finished) + ", " + Num(check.logs) +
            Pick(language, " отчётов. ", " logs. ") + "<a href=\"/organiser/results/\">" +
            Pick(language, "Результаты (до публикации)", "Results (before publishing)") + "</a></p>\n";
  }
  if (!check.running) {
    body += "<form method=\"post\" action=\"/organiser/check\">" + csrfField +
            "<button type=\"submit\" id=\"run-check\">" +
            Pick(language, "Проверить все отчёты", "Check every log") + "</button></form>\n";
  }
  // The newest results beside the published ones: /results/ serves the published
  // snapshot until the organiser publishes a newer one.
  if (check.hasResults) {
    body += "<p id=\"newest-results\">" +
            std::string(Pick(language, "Новейшие результаты: проверка ", "Newest results: the check of ")) +
            ShownTime(check.resultsChecked) + "</p>\n";
  }
  if (published) {
    body += "<p id=\"published\">" + std::string(Pick(language, "Результаты опубликованы: ",
                                                       "The results are published: ")) +
            "<a href=\"/results/\">/results/</a> (" + Pick(language, "проверка ", "the check of ") +
            ShownTime(check.publishedChecked) + ")</p>\n";
  }
  if (check.hasResults && (!published || check.resultsChecked != check.publishedChecked)) {
    body += "<form method=\"post\" action=\"/organiser/publish\">" + csrfField +
            "<button type=\"submit\" id=\"publish\">" +
            (published ? Pick(language, "Опубликовать новейшие результаты", "Publish the newest results")
                       : Pick(language, "Опубликовать результаты", "Publish the results")) +
            "</button></form>\n";
  }
  body += "<p><a href=\"/api/logs.zip\" id=\"logs-zip\">" +
          std::string(Pick(language, "Все отчёты одним архивом (zip)", "Every log in one zip")) + "</a></p>\n";
  // A log that an entrant sent the organiser: taken after the deadline too, marked late.
  body += "<h2>" + std::string(Pick(language, "Отчёт от организатора", "A log handed in by the organiser")) +
          "</h2>\n<form method=\"post\" enctype=\"multipart/form-data\" action=\"/submit" +
          (language == Language::kEnglish ? "?lang=en" : "") + "\">\n<input type=\"hidden\" name=\"csrf\" value=\"" +
          HtmlText(csrf) + "\">\n<input type=\"file\" name=\"log\" id=\"late-log\">\n"
          "<input type=\"text\" name=\"replaces\" maxlength=\"64\" placeholder=\"R-…\">\n"
          "<button type=\"submit\" id=\"hand-in\">" +
          Pick(language, "Принять (после срока — с пометкой)", "Take it (marked late after the deadline)") +
          "</button></form>\n" + decisions;
  // The uploads: those that count, in full but with their problems as counts by kind
  // (each upload's own page lists them), then the superseded ones, briefly.
  std::size_t counting = 0, late = 0;
  for (const Upload& upload : uploads) {
    counting += upload.supersededBy ? 0 : 1;
    late += upload.late ? 1 : 0;
  }
  body += "<h2>" + std::string(Pick(language, "Загрузки", "Uploads")) + " (" +
          Num(static_cast<long long>(uploads.size())) + ")</h2>\n<p id=\"upload-counts\">" +
          Pick(language, "Учитываются: ", "Counting: ") + Num(static_cast<long long>(counting)) + " · <a href=\"#superseded\">" +
          Pick(language, "заменены: ", "superseded: ") + Num(static_cast<long long>(uploads.size() - counting)) +
          "</a> · " + Pick(language, "после срока: ", "late: ") + Num(static_cast<long long>(late)) +
          " · <a href=\"#attempts\">" + Pick(language, "отклонённые попытки: ", "refused attempts: ") +
          Num(static_cast<long long>(attempts.size())) + "</a></p>\n<table class=\"uploads\">\n<thead><tr>";
  for (const char* head : {CallWord(language), Pick(language, "Получен", "Received"),
                           Pick(language, "Квитанция", "Receipt"), Pick(language, "Результат", "Score"),
                           Pick(language, "Заявлено", "Log's claim"), Pick(language, "Эл. почта", "E-mail"),
                           Pick(language, "Замечания", "Problems"), Pick(language, "Состояние", "State")}) {
    body += "<th>" + std::string(head) + "</th>";
  }
  body += "</tr></thead>\n<tbody>\n";
  auto receiptCell = [&](const Upload& upload) {
    return Cell("<a href=\"/receipt/" + HtmlText(upload.receipt) + LangQuery(language) + "\">" +
                HtmlText(upload.receipt) + "</a> (<a href=\"/organiser/logs/" + HtmlText(upload.receipt) +
                "\">" + Pick(language, "файл", "file") + "</a>)");
  };
  for (const Upload& upload : uploads) {
    if (upload.supersededBy) continue;
    const UploadSummary& s = upload.summary;
    body += "<tr>" + Cell(HtmlText(s.call)) + Cell(ShownTime(upload.received)) + receiptCell(upload) +
            Cell(Num(s.claimedScore), true) + Cell(s.logClaimedScore ? Num(*s.logClaimedScore) : "", true) +
            Cell(HtmlText(s.email)) + Cell(ProblemCountsCell(s, language)) +
            Cell(upload.late ? Pick(language, "после срока", "late") : Pick(language, "учитывается", "counts")) +
            "</tr>\n";
  }
  body += "</tbody>\n</table>\n<h2 id=\"superseded\">" +
          std::string(Pick(language, "Заменённые загрузки", "Superseded uploads")) + " (" +
          Num(static_cast<long long>(uploads.size() - counting)) + ")</h2>\n";
  if (counting < uploads.size()) {
    body += "<table class=\"superseded\">\n<thead><tr><th>" + std::string(CallWord(language)) + "</th><th>" +
            Pick(language, "Получен", "Received") + "</th><th>" + Pick(language, "Квитанция", "Receipt") +
            "</th><th>" + Pick(language, "Заменён", "Replaced by") + "</th></tr></thead>\n<tbody>\n";
    for (const Upload& upload : uploads) {
      if (!upload.supersededBy) continue;
      body += "<tr class=\"old\">" + Cell(HtmlText(upload.summary.call)) +
              Cell(ShownTime(upload.received) +
                   (upload.late ? std::string(Pick(language, " (после срока)", " (late)")) : std::string())) +
              receiptCell(upload) + Cell(HtmlText(*upload.supersededBy)) + "</tr>\n";
    }
    body += "</tbody>\n</table>\n";
  }
  // Refused replacement attempts.
  body += "<h2 id=\"attempts\">" + std::string(Pick(language, "Отклонённые попытки замены", "Refused replacement attempts")) +
          " (" + Num(static_cast<long long>(attempts.size())) + ")</h2>\n";
  if (!attempts.empty()) {
    body += "<table class=\"attempts\">\n<thead><tr><th>" + std::string(Pick(language, "Время", "Time")) +
            "</th><th>" + CallWord(language) + "</th><th>" +
            Pick(language, "Квитанция", "Receipt") + "</th><th>SHA-256</th><th>" +
            Pick(language, "Эл. почта", "E-mail") + "</th></tr></thead>\n<tbody>\n";
    for (const ReplacementAttempt& a : attempts) {
      body += "<tr>" + Cell("#" + Num(a.id) + " " + ShownTime(a.at)) + Cell(HtmlText(a.call)) +
              Cell(a.receiptGiven ? Pick(language, "неверная", "wrong") : Pick(language, "не дана", "none")) +
              Cell(HtmlText(a.sha256.substr(0, 16)) +
                   (a.kept ? " (<a href=\"/organiser/attempts/" + Num(a.id) + "\">" + Pick(language, "файл", "file") +
                                 "</a>)"
                           : std::string())) +
              Cell(HtmlText(a.email)) + "</tr>\n";
    }
    body += "</tbody>\n</table>\n";
  }
  body += "<form method=\"post\" action=\"/organiser/logout\">" + csrfField +
          "<button type=\"submit\">" + Pick(language, "Выйти", "Log out") + "</button></form>\n";
  // While the check runs the page looks again every few seconds.
  const std::string head = check.running ? "<meta http-equiv=\"refresh\" content=\"3\">\n" : "";
  return Page(language, Pick(language, "ZELTA TROPHY: организатор", "ZELTA TROPHY: organiser"), body,
              "/organiser", head);
}

std::string ReceiptJson(const Upload& upload) {
  const UploadSummary& s = upload.summary;
  return JsonObject()
             .Text("receipt", upload.receipt)
             .Text("call", s.call)
             .Text("received", upload.received)
             .Text("sha256", s.sha256)
             .Number("bytes", s.bytes)
             .Text("format", s.format)
             .Text("category", s.category)
             .Number("qsos", s.qsos)
             .Number("counted", s.counted)
             .Number("repeats", s.repeats)
             .Number("refused", s.refused)
             .Number("skipped_lines", s.skippedLines)
             .Number("claimed_score", s.claimedScore)
             .OptionalNumber("log_claimed_score", s.logClaimedScore)
             .Raw("problems", s.problemsJson)
             .Raw("problem_counts", s.problemCountsJson)
             .OptionalText("replaces", upload.replaces)
             .OptionalText("superseded_by", upload.supersededBy)
             .Bool("late", upload.late)
             .Done() + "\n";
}

std::string ReceivedJson(const std::vector<Upload>& newest) {
  std::string out = "{\"logs\": [";
  for (std::size_t i = 0; i < newest.size(); ++i) {
    out += (i == 0 ? "\n" : ",\n") + JsonObject()
                                        .Text("call", newest[i].summary.call)
                                        .Text("category", newest[i].summary.category)
                                        .Text("received", newest[i].received)
                                        .Bool("late", newest[i].late)
                                        .Done();
  }
  return out + "\n]}\n";
}

}  // namespace robot
