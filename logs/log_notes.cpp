#include "logs/log_notes.h"

namespace logs {
namespace {

constexpr std::size_t kLinesListed = 8;

// The length of the well-formed UTF-8 character at `pos`, or 0.
std::size_t Utf8Length(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t size = 0;
  if (lead >= 0xC2 && lead <= 0xDF) size = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) size = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) size = 4;
  if (size == 0 || size > text.size() - pos) return 0;
  for (std::size_t k = 1; k < size; ++k) {
    const auto next = static_cast<unsigned char>(text[pos + k]);
    if (next < 0x80 || next > 0xBF) return 0;
  }
  // U+0080 to U+009F are control characters too.
  if (lead == 0xC2 && static_cast<unsigned char>(text[pos + 1]) < 0xA0) return 0;
  return size;
}

}  // namespace

std::string ShownText(std::string_view text, std::size_t limit) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  std::size_t pos = 0;
  while (pos < text.size() && pos < limit) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x20 && c < 0x7F) {
      if (c == '\\') shown += '\\';
      shown += static_cast<char>(c);
      ++pos;
    } else if (const std::size_t size = c >= 0x80 ? Utf8Length(text, pos) : 0) {
      shown.append(text.substr(pos, size));
      pos += size;
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
      ++pos;
    }
  }
  if (pos < text.size()) shown += "...";
  return shown;
}

void NoteGroups::Add(const std::string& kind, LogPosition position, std::string text,
                     std::size_t count) {
  const auto found = groups_.find(kind);
  if (found == groups_.end()) {
    groups_.emplace(kind, Group{notes_.size()});
    notes_.push_back({position, std::move(text), count});
    return;
  }
  Group& group = found->second;
  ++group.occurrences;
  notes_[group.index].count += count;
  if (group.lines.size() < kLinesListed) group.lines.push_back(position.line);
}

void NoteGroups::Finish() {
  for (const auto& [kind, group] : groups_) {
    if (group.occurrences < 2) continue;
    const std::size_t more = group.occurrences - 1;
    std::string text = "; the same in " + std::to_string(more) + " more " + unit_ +
                       (more == 1 ? "" : "s") + " (line";
    text += group.lines.size() == 1 ? " " : "s ";
    for (std::size_t i = 0; i < group.lines.size(); ++i) {
      text += (i == 0 ? "" : ", ") + std::to_string(group.lines[i]);
    }
    if (more > group.lines.size()) text += ", ...";
    notes_[group.index].text += text + ")";
  }
  groups_.clear();
}

std::size_t SkippedCount(const QsoLog& log) {
  std::size_t count = 0;
  for (const LogNote& note : log.skipped) count += note.count;
  return count;
}

}  // namespace logs
