// The contest's categories and the category of a log: its Cabrillo header values read as
// entrants write them, checklogs, and logs whose header fits no category.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "adjudication/verdicts.h"

namespace adjudication {

// The header fields a category is made of, in this order.
inline constexpr std::array<const char*, 4> kCategoryFields = {
    "CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-MODE", "CATEGORY-POWER"};
// What the header dialog takes when a field is left as it is.
inline constexpr std::array<const char*, 4> kCategoryDefaults = {"SINGLE-OP", "ALL", "SSB", "HIGH"};

// DefaultCategories()
// Every combination of the header dialog's lists (operator SINGLE-OP, SINGLE-OP-18,
// MULTI-OP, MULTI-OP-18, CONFERENC; band ALL, 160M-80M-40M, 20M-15M-10M; mode SSB, CW,
// MIX; power HIGH, LOW, QRP), each named by its four values in that order.
const std::vector<Category>& DefaultCategories();

// ContestCategories()
// The rules' categories, or the default ones when the rules list none.
const std::vector<Category>& ContestCategories(const Rules& rules);

// CategoryValue()
// A header value as the contest compares it: blanks trimmed, in capitals, MIXED as MIX.
std::string CategoryValue(std::string_view value);

struct Classification {
  enum class Kind { kCategory, kChecklog, kUnclassified };
  Kind kind = Kind::kUnclassified;
  std::size_t category = 0;             // kCategory: index into ContestCategories()
  std::string name;                     // kCategory: the category's name
  std::array<std::string, 4> values;    // the four values as read (after defaults)
  std::vector<std::size_t> defaulted;   // the fields missing from the header, taken as
                                        // kCategoryDefaults
  std::string header;                   // the log's category lines as written, "TAG: value; ..."
};

// Classify()
// The category of a log from its header lines ((TAG, value) pairs): CATEGORY-OPERATOR,
// -BAND, -MODE and -POWER, or Cabrillo 2.0's one CATEGORY line taken word by word (each
// word in the field whose values hold it). CHECKLOG as the operator or a word makes a
// checklog. A field given twice with two values, a word no field takes, or values that
// no category takes leave the log unclassified.
Classification Classify(const std::vector<std::pair<std::string, std::string>>& headers,
                        const Rules& rules);

// AllowedValues()
// The values the contest's categories take, field by field, for a message to an entrant:
// "CATEGORY-OPERATOR: SINGLE-OP, ...; CATEGORY-BAND: ...".
std::string AllowedValues(const Rules& rules);

}  // namespace adjudication
