// An upload, from the entrant's form (/submit) or the API (/api/logs): read within
// the limits, scored through the plug-in, stored, and answered with its receipt.
#include <malloc.h>

#include "adjudication/cross_check.h"
#include "host/scoring_run.h"
#include "robot/json_text.h"
#include "robot/limits.h"
#include "robot/secrets.h"
#include "robot/service_parts.h"
#include "text/ascii_text.h"

namespace robot {

void Robot::Parts::Refuse(Response& res, bool api, Language language, int status,
                          const std::string& message) {
  if (api) {
    SendJson(res, status, ErrorJson(message));
    return;
  }
  const char* title = status == 413   ? Pick(language, "Файл слишком велик", "The file is too large")
                      : status == 403 ? Pick(language, "Приём закрыт", "Submission closed")
                      : status == 409 ? Pick(language, "Отчёт уже получен", "A log is already received")
                                      : Pick(language, "Отчёт не принят", "The log is not accepted");
  SendPage(res, status, MessagePage(language, title, message));
}

std::string Robot::Parts::UploadTooLarge(Language language) const {
  return std::string(Pick(language, "Загрузка больше предела в ", "The upload is over the limit of ")) +
         std::to_string(options.maxUploadKb) +
         Pick(language, " КБ. Отправьте только файл отчёта.", " KB. Send the log file alone.");
}

std::string Robot::Parts::UploadTooSlow(Language language) const {
  return Pick(language, "Загрузка шла слишком долго. Попробуйте ещё раз.", "The upload took too long. Try again.");
}

UploadBody Robot::Parts::ReadBody(const ContentReader& reader, bool multipart) {
  UploadBody body;
  std::size_t total = 0;
  auto take = [&](std::size_t size) {
    total += size;
    if (total > maxUploadBytes) body.tooLarge = true;
    return !body.tooLarge;
  };
  if (!multipart) {
    body.complete = reader([&](const char* data, std::size_t size) {
      if (!take(size)) return false;
      body.log.append(data, size);
      return true;
    });
    return body;
  }
  std::string* field = nullptr;
  std::size_t parts = 0;
  body.complete = reader(
      [&](const httplib::MultipartFormData& part) {
        // The part's file name is never used: the log is stored by its receipt.
        field = part.name == "log"        ? &body.log
                : part.name == "text"     ? &body.text
                : part.name == "email"    ? &body.email
                : part.name == "replaces" ? &body.replaces
                : part.name == "csrf"     ? &body.csrf
                                          : nullptr;
        if (field) field->clear();  // a field given twice: the last counts
        return ++parts <= kMaxFormParts;
      },
      [&](const char* data, std::size_t size) {
        if (!take(size)) return false;
        if (field) field->append(data, size);
        return true;
      });
  return body;
}

void Robot::Parts::Upload(const Request& req, Response& res, const ContentReader& reader,
                          bool api) {
  const Language language = api ? ApiLanguage(req) : PageLanguage(req);
  // After the deadline only the organiser hands a log in (the token, or a session's
  // form with its CSRF token among the form's fields), and it is marked late.
  const bool late =
      rules.deadline && adjudication::SecondsOf(zelta::NowUtc()) >= adjudication::SecondsOf(*rules.deadline);
  std::string sessionCsrf;
  const auto closed = [&] {
    Refuse(res, api, language, 403,
           std::string(Pick(language, "Отчёты принимались до ", "Logs were received until ")) +
               PeriodTime(*rules.deadline) + " UTC" +
               Pick(language, "; срок истёк. Обратитесь к организатору.",
                    "; the deadline has passed. Write to the organiser."));
  };
  if (late && !Organiser(req, &sessionCsrf)) return closed();
  // The front door has read the body whole, within the upload's size and time.
  const bool multipart = req.is_multipart_form_data();
  if (!api && !multipart) {
    return Refuse(res, api, language, 400,
                  Pick(language, "Отправьте отчёт формой со страницы приёма.",
                       "Send the log with the form of the submission page."));
  }
  UploadBody body = ReadBody(reader, multipart);
  if (body.tooLarge) return Refuse(res, api, language, 413, UploadTooLarge(language));
  if (!body.complete) {
    return Refuse(res, api, language, 400,
                  Pick(language, "Загрузка пришла не полностью. Попробуйте ещё раз.",
                       "The upload arrived incomplete. Try again."));
  }
  if (late && !sessionCsrf.empty() &&
      !SameSecret(body.csrf.empty() ? req.get_header_value("X-CSRF-Token") : body.csrf, sessionCsrf)) {
    return closed();
  }
  if (api) {
    body.email = req.get_param_value("email");
    body.replaces = req.get_param_value("replaces");
  }
  if (body.log.empty()) body.log = std::move(body.text);
  body.email = std::string(text::TrimBlanks(body.email));
  body.replaces = std::string(text::TrimBlanks(body.replaces));
  if (!body.email.empty() && !IsEmail(body.email)) {
    return Refuse(res, api, language, 400,
                  Pick(language, "Адрес эл. почты указан неверно. Исправьте его или оставьте поле пустым.",
                       "The e-mail address is not valid. Correct it or leave it out."));
  }
  UploadSummary summary;
  // A large log's QSOs leave many small blocks free once read: given back to the system
  // rather than held by the robot until the next large log.
  struct Trim {
    bool large;
    ~Trim() {
      if (large) malloc_trim(0);
    }
  } trim{body.log.size() > kLargeUpload};
  try {
    summary = intake->Read(body.log);
  } catch (const UploadRefused& refused) {
    std::string message;
    switch (refused.reason()) {
      case UploadRefused::Reason::kEmpty:
        message = Pick(language, "Загрузка пуста: выберите файл отчёта или вставьте его текст.",
                       "The upload is empty: choose your log file or paste its text.");
        break;
      case UploadRefused::Reason::kNotALog:
        message = std::string(Pick(language, "Это не отчёт Cabrillo или ADIF (",
                                   "This is neither a Cabrillo nor an ADIF log (")) +
                  refused.what() +
                  Pick(language, "). Загрузите отчёт в формате Cabrillo или ADIF.",
                       "). Upload your log as Cabrillo or ADIF.");
        break;
      case UploadRefused::Reason::kNoCall:
        message = Pick(language,
                       "В отчёте нет вашего позывного (CALLSIGN в Cabrillo, STATION_CALLSIGN или "
                       "OPERATOR в ADIF). Добавьте его и загрузите отчёт снова.",
                       "The log does not name your call (CALLSIGN in Cabrillo, STATION_CALLSIGN "
                       "or OPERATOR in ADIF). Add it and upload the log again.");
        break;
      case UploadRefused::Reason::kBadCall:
        message = std::string(refused.what()) +
                  Pick(language, ". Исправьте позывной в отчёте и загрузите его снова.",
                       ". Correct the call in the log and upload it again.");
        break;
      case UploadRefused::Reason::kNoQso:
        message = std::string(refused.what()) +
                  Pick(language, ". Проверьте, тот ли файл выбран.", ". Check that this is the right file.");
        break;
    }
    return Refuse(res, api, language, 400, message);
  }
  summary.email = body.email;
  const Store::AddResult added = store->Add(summary, body.log, body.replaces, IsoNow(), late);
  if (added.refusal == Store::Refusal::kNotNewest) {
    return Refuse(res, api, language, 409,
                  std::string(Pick(language, "Отчёт с этой квитанцией уже заменён более поздней загрузкой. ",
                                   "The log of this receipt has been replaced by a later upload. ")) +
                      Pick(language, "Чтобы заменить отчёт, укажите квитанцию его последней загрузки.",
                           "To replace a log, give the receipt of its newest upload."));
  }
  if (!added.stored) {
    const robot::Upload& newest = *added.newestOfCall;
    const bool otherCall = added.given && text::AsciiUpper(added.given->summary.call) != text::AsciiUpper(summary.call);
    const std::string when = newest.received.substr(0, 10) + " " + newest.received.substr(11, 8) + " UTC";
    return Refuse(res, api, language, 409,
                  std::string(Pick(language, "Отчёт ", "A log for ")) + summary.call +
                      Pick(language, " уже получен ", " was received on ") + when +
                      Pick(language, ". Чтобы заменить его, укажите номер квитанции той загрузки.",
                           ". To replace it, give the receipt number of that upload.") +
                      (otherCall ? std::string(Pick(language, " Указанная квитанция — отчёта ",
                                                    " The receipt given is that of the log of ")) +
                                       added.given->summary.call +
                                       Pick(language, "; позывной, у которого есть отчёт, сохраняет его.",
                                            "; a call that has a log keeps it.")
                                 : std::string()));
  }
  say("received " + summary.call + " (" + ReceiptStem(added.stored->receipt) + ", " +
      std::to_string(summary.qsos) + " QSOs)");
  if (api) return SendJson(res, 200, ReceiptJson(*added.stored));
  SendPage(res, 200, ReceiptPage(language, *added.stored, true));
}

}  // namespace robot
