#include "adjudication/outputs.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "adjudication/categories.h"

namespace adjudication {
namespace {

// The length of the valid UTF-8 sequence at `i`, or 0.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // No overlong forms, no surrogates, nothing beyond U+10FFFF.
  const unsigned char second = byte(i + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

void AppendString(std::string& out, const std::string& text) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c >= 0x80) {
      const std::size_t length = Utf8Length(text, i);
      if (length == 0) {
        out += "\\ufffd";
        ++i;
      } else {
        out.append(text, i, length);
        i += length;
      }
      continue;
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  out += '"';
}

void AppendField(std::string& out, const char* name, const std::string& text) {
  out += '"';
  out += name;
  out += "\": ";
  AppendString(out, text);
}

void AppendField(std::string& out, const char* name, long long value) {
  out += '"';
  out += name;
  out += "\": " + std::to_string(value);
}

std::array<int, kVerdictCount> CountVerdicts(const CheckedLog& log) {
  std::array<int, kVerdictCount> counts{};
  for (const CheckedQso& qso : log.qsos) ++counts[static_cast<int>(qso.verdict)];
  return counts;
}

}  // namespace

std::string TimeText(const platform::CalendarTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return text;
}

std::string VerdictsJson(const Contest& contest) {
  std::string out = "{\"logs\": [";
  for (std::size_t l = 0; l < contest.logs.size(); ++l) {
    const CheckedLog& log = contest.logs[l];
    out += l == 0 ? "\n" : ",\n";
    out += '{';
    AppendField(out, "call", log.call);
    out += ", ";
    AppendField(out, "file", log.file);
    out += ", ";
    AppendField(out, "claimed_score", log.claimed.score);
    out += ", ";
    AppendField(out, "checked_score", log.checked.score);
    out += ", ";
    AppendField(out, "clock_offset_minutes", log.clockOffsetMinutes);
    for (const auto& [name, score] : {std::pair{"claimed", &log.claimed}, {"checked", &log.checked}}) {
      for (const auto& [field, value] : {std::pair{"qsos", score->qsos},
                                         {"points", score->points},
                                         {"multipliers", score->multipliers}}) {
        out += ", ";
        AppendField(out, (std::string(name) + "_" + field).c_str(), value);
      }
    }
    out += ", \"qsos\": [";
    for (std::size_t q = 0; q < log.qsos.size(); ++q) {
      const CheckedQso& qso = log.qsos[q];
      out += q == 0 ? "{" : ", {";
      AppendField(out, "line", static_cast<long long>(qso.line));
      out += ", ";
      AppendField(out, "time", TimeText(qso.time));
      out += ", ";
      AppendField(out, "band", qso.band);
      out += ", ";
      AppendField(out, "mode", qso.mode);
      out += ", ";
      AppendField(out, "call", qso.call);
      out += ", ";
      AppendField(out, "sent", qso.sent);
      out += ", ";
      AppendField(out, "rcvd", qso.rcvd);
      out += ", ";
      AppendField(out, "verdict", std::string(VerdictName(qso.verdict)));
      out += ", \"correct\": ";
      if (qso.correct) {
        AppendString(out, *qso.correct);
      } else {
        out += "null";
      }
      if (qso.daysMoved != 0) {
        out += ", ";
        AppendField(out, "date_moved_days", qso.daysMoved);
      }
      out += '}';
    }
    out += "]}";
  }
  out += "\n]}\n";
  return out;
}

std::string SummaryTable(const Contest& contest) {
  std::size_t width = 4;
  for (const CheckedLog& log : contest.logs) width = std::max(width, log.call.size());
  // Each count right-aligned under its verdict's name, at least five wide.
  auto column = [](std::string_view heading, const std::string& cell) {
    const std::size_t width = std::max<std::size_t>(heading.size(), 5);
    return std::string(1 + (width > cell.size() ? width - cell.size() : 0), ' ') + cell;
  };
  std::string out = "call" + std::string(width - 4, ' ') + "   QSOs    claimed    checked clock";
  for (int v = 0; v < kVerdictCount; ++v) {
    const std::string_view name = VerdictName(static_cast<Verdict>(v));
    out += column(name, std::string(name));
  }
  out += '\n';
  for (const CheckedLog& log : contest.logs) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %6zu %10d %10d %+5d", log.qsos.size(),
                  log.claimed.score, log.checked.score, log.clockOffsetMinutes);
    out += log.call + std::string(width - log.call.size(), ' ') + numbers;
    const auto counts = CountVerdicts(log);
    for (int v = 0; v < kVerdictCount; ++v) {
      out += column(VerdictName(static_cast<Verdict>(v)), std::to_string(counts[v]));
    }
    out += '\n';
  }
  return out;
}

std::string CategoryNotes(const Contest& contest) {
  std::string checklogs, unclassified;
  for (const CheckedLog& log : contest.logs) {
    const Classification found = Classify(log.headers, contest.rules);
    if (found.kind == Classification::Kind::kChecklog) checklogs += " " + log.call;
    if (found.kind != Classification::Kind::kUnclassified) continue;
    std::string header;
    for (const char c : found.header.empty() ? std::string("(no category lines)") : found.header) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        header += escaped;
      } else {
        header += c;
      }
    }
    unclassified += "  " + log.call + " (" + log.file + "): " + header + "\n";
  }
  std::string out;
  if (!checklogs.empty()) out += "\nChecklogs (cross-checked, not ranked):" + checklogs + "\n";
  if (!unclassified.empty()) {
    out += "\nUnclassified: these logs' headers fit no category of the contest (" +
           AllowedValues(contest.rules) + "):\n" + unclassified;
  }
  return out;
}

}  // namespace adjudication
