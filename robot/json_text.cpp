#include "robot/json_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "host/scoring_run.h"
#include "reports/report_parts.h"
#include "text/ascii_text.h"

namespace robot {

std::string IsoNow() {
  const platform::CalendarTime t = zelta::NowUtc();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : reports::detail::CleanText(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '<': out += "\\u003c"; break;
      case '>': out += "\\u003e"; break;
      case '&': out += "\\u0026"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

void JsonObject::Name(std::string_view name) {
  if (text_.size() > 1) text_ += ", ";
  text_ += JsonString(name) + ": ";
}

JsonObject& JsonObject::Text(std::string_view name, std::string_view value) {
  Name(name);
  text_ += JsonString(value);
  return *this;
}

JsonObject& JsonObject::Number(std::string_view name, long long value) {
  Name(name);
  text_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Bool(std::string_view name, bool value) {
  Name(name);
  text_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::OptionalText(std::string_view name,
                                     const std::optional<std::string>& value) {
  Name(name);
  text_ += value ? JsonString(*value) : "null";
  return *this;
}

JsonObject& JsonObject::OptionalNumber(std::string_view name,
                                       const std::optional<long long>& value) {
  Name(name);
  text_ += value ? std::to_string(*value) : "null";
  return *this;
}

JsonObject& JsonObject::Raw(std::string_view name, std::string_view json) {
  Name(name);
  text_ += json;
  return *this;
}

std::string ErrorJson(std::string_view message) {
  return JsonObject().Text("error", message).Done() + "\n";
}

namespace {

// The value of the field `name` found from `from` on; `at` ends past the value.
std::optional<std::string> FieldFrom(std::string_view json, std::string_view name,
                                     std::size_t& at) {
  const std::string key = "\"" + std::string(name) + "\":";
  at = json.find(key, at);
  if (at == std::string_view::npos) return std::nullopt;
  at += key.size();
  while (at < json.size() && text::IsBlank(json[at])) ++at;
  if (at >= json.size()) return std::nullopt;
  if (json[at] != '"') {
    const std::size_t end = std::min(json.find_first_of(",}]", at), json.size());
    const std::string value(text::TrimBlanks(json.substr(at, end - at)));
    at = end;
    return value;
  }
  std::string value;
  for (++at; at < json.size() && json[at] != '"'; ++at) {
    if (json[at] != '\\' || at + 1 >= json.size()) {
      value += json[at];
      continue;
    }
    const char escaped = json[++at];
    if (escaped == 'u' && at + 4 < json.size()) {
      unsigned point = 0;
      std::sscanf(std::string(json.substr(at + 1, 4)).c_str(), "%4x", &point);
      text::AppendUtf8(value, point);
      at += 4;
    } else {
      value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
    }
  }
  ++at;
  return value;
}

}  // namespace

std::optional<std::string> JsonField(std::string_view json, std::string_view name) {
  std::size_t at = 0;
  return FieldFrom(json, name, at);
}

std::string ProblemsJson(const std::vector<Problem>& problems) {
  std::string out = "[";
  for (const Problem& problem : problems) {
    if (out.size() > 1) out += ", ";
    out += JsonObject().Number("line", problem.line).Text("text", problem.text).Done();
  }
  return out + "]";
}

std::vector<Problem> ReadProblems(std::string_view json) {
  std::vector<Problem> problems;
  std::size_t at = 0;
  while (true) {
    const std::optional<std::string> line = FieldFrom(json, "line", at);
    if (!line) break;
    const std::optional<std::string> text = FieldFrom(json, "text", at);
    if (!text) break;
    problems.push_back({std::atoll(line->c_str()), *text});
  }
  return problems;
}

}  // namespace robot
