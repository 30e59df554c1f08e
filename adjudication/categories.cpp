#include "adjudication/categories.h"

#include <algorithm>

#include "text/ascii_text.h"

namespace adjudication {
namespace {

// The header dialog's lists, field by field.
const std::array<std::vector<std::string>, 4>& DialogLists() {
  static const std::array<std::vector<std::string>, 4> lists = {
      std::vector<std::string>{"SINGLE-OP", "SINGLE-OP-18", "MULTI-OP", "MULTI-OP-18", "CONFERENC"},
      std::vector<std::string>{"ALL", "160M-80M-40M", "20M-15M-10M"},
      std::vector<std::string>{"SSB", "CW", "MIX"},
      std::vector<std::string>{"HIGH", "LOW", "QRP"}};
  return lists;
}

constexpr std::string_view kChecklog = "CHECKLOG";

// The field whose values (the contest's categories' and the dialog's) hold `word`, or -1.
int FieldOfWord(const std::string& word, const std::vector<Category>& categories) {
  for (std::size_t f = 0; f < kCategoryFields.size(); ++f) {
    const auto& list = DialogLists()[f];
    if (std::find(list.begin(), list.end(), word) != list.end()) return static_cast<int>(f);
    for (const Category& category : categories) {
      if (category.values[f] == word) return static_cast<int>(f);
    }
  }
  return -1;
}

}  // namespace

const std::vector<Category>& DefaultCategories() {
  static const std::vector<Category> categories = [] {
    std::vector<Category> all;
    const auto& lists = DialogLists();
    for (const std::string& op : lists[0]) {
      for (const std::string& band : lists[1]) {
        for (const std::string& mode : lists[2]) {
          for (const std::string& power : lists[3]) {
            all.push_back({op + " " + band + " " + mode + " " + power, {op, band, mode, power}});
          }
        }
      }
    }
    return all;
  }();
  return categories;
}

const std::vector<Category>& ContestCategories(const Rules& rules) {
  return rules.categories.empty() ? DefaultCategories() : rules.categories;
}

std::string CategoryValue(std::string_view value) {
  std::string upper = text::AsciiUpper(text::TrimBlanks(value));
  return upper == "MIXED" ? "MIX" : upper;
}

Classification Classify(const std::vector<std::pair<std::string, std::string>>& headers,
                        const Rules& rules) {
  const std::vector<Category>& categories = ContestCategories(rules);
  Classification result;
  bool checklog = false;
  bool fits = true;
  std::array<bool, 4> given{};
  auto take = [&](std::size_t field, const std::string& value) {
    if (value.empty()) return;
    if (given[field] && result.values[field] != value) fits = false;  // two answers to one question
    given[field] = true;
    result.values[field] = value;
  };
  for (const auto& [tag, value] : headers) {
    const std::string key = text::AsciiUpper(text::TrimBlanks(tag));
    const auto field = std::find(kCategoryFields.begin(), kCategoryFields.end(), key);
    if (field == kCategoryFields.end() && key != "CATEGORY") continue;  // STATION, ASSISTED, ...
    if (!result.header.empty()) result.header += "; ";
    result.header += std::string(text::TrimBlanks(tag)) + ": " + std::string(text::TrimBlanks(value));
    if (field != kCategoryFields.end()) {
      const std::string normal = CategoryValue(value);
      if (field == kCategoryFields.begin() && normal == kChecklog) {
        checklog = true;
      } else {
        take(static_cast<std::size_t>(field - kCategoryFields.begin()), normal);
      }
      continue;
    }
    // Cabrillo 2.0: "CATEGORY: SINGLE-OP ALL LOW CW", words in any order.
    std::string_view rest = value;
    while (!(rest = text::TrimBlanks(rest)).empty()) {
      std::size_t end = 0;
      while (end < rest.size() && !text::IsBlank(rest[end])) ++end;
      const std::string word = CategoryValue(rest.substr(0, end));
      rest.remove_prefix(end);
      if (word == kChecklog) {
        checklog = true;
      } else if (const int f = FieldOfWord(word, categories); f >= 0) {
        take(static_cast<std::size_t>(f), word);
      } else {
        fits = false;
      }
    }
  }
  for (std::size_t f = 0; f < given.size(); ++f) {
    if (!given[f]) {
      result.values[f] = kCategoryDefaults[f];
      result.defaulted.push_back(f);
    }
  }
  if (checklog) {
    result.kind = Classification::Kind::kChecklog;
    return result;
  }
  for (std::size_t c = 0; fits && c < categories.size(); ++c) {
    bool match = true;
    for (std::size_t f = 0; f < 4 && match; ++f) {
      match = categories[c].values[f] == "*" || categories[c].values[f] == result.values[f];
    }
    if (match) {
      result.kind = Classification::Kind::kCategory;
      result.category = c;
      result.name = categories[c].name;
      return result;
    }
  }
  return result;
}

std::string AllowedValues(const Rules& rules) {
  const std::vector<Category>& categories = ContestCategories(rules);
  std::string text;
  for (std::size_t f = 0; f < kCategoryFields.size(); ++f) {
    std::vector<std::string> values;
    for (const Category& category : categories) {
      const std::string& value = category.values[f];
      if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
    }
    text += std::string(f > 0 ? "; " : "") + kCategoryFields[f] + ": ";
    for (std::size_t v = 0; v < values.size(); ++v) {
      text += (v > 0 ? ", " : "") + (values[v] == "*" ? std::string("any") : values[v]);
    }
  }
  return text;
}

}  // namespace adjudication
