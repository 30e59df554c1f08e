// The robot's JSON: receipts, lists and errors written as JSON text. Texts from logs
// are cleaned as in the reports (valid UTF-8 kept, other bytes read as Windows-1251,
// control characters shown as U+FFFD), so no log can break the JSON or carry markup.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace robot {

// JsonString()
// `text` cleaned, quoted and escaped; <, > and & as \u escapes, so that the JSON is
// never taken for markup.
std::string JsonString(std::string_view text);

// JsonObject
// Builds {"name": value, ...} in the order the fields are added.
class JsonObject {
 public:
  JsonObject& Text(std::string_view name, std::string_view value);
  JsonObject& Number(std::string_view name, long long value);
  JsonObject& Bool(std::string_view name, bool value);
  JsonObject& OptionalText(std::string_view name, const std::optional<std::string>& value);
  JsonObject& OptionalNumber(std::string_view name, const std::optional<long long>& value);
  // `json` must be JSON already (an array, an object).
  JsonObject& Raw(std::string_view name, std::string_view json);
  std::string Done() const { return text_ + "}"; }

 private:
  void Name(std::string_view name);
  std::string text_ = "{";
};

// IsoNow()
// The present time, UTC, as the JSON gives times: "2026-12-06T14:03:12Z".
std::string IsoNow();

// ErrorJson()
// {"error": "..."}.
std::string ErrorJson(std::string_view message);

// JsonField()
// The value of the top-level string or number field `name` of a flat JSON object as
// the robot writes it (escapes undone), or nullopt when it has none.
std::optional<std::string> JsonField(std::string_view json, std::string_view name);

// A line of a receipt's problems: [{"line": 17, "text": "..."}].
struct Problem {
  long long line = 0;
  std::string text;
};

// ProblemsJson(), ReadProblems()
// The problems as the receipt's JSON array, and back.
std::string ProblemsJson(const std::vector<Problem>& problems);
std::vector<Problem> ReadProblems(std::string_view json);

}  // namespace robot
