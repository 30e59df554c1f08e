#include "host/qso_handover.h"

#include <algorithm>

namespace zelta {
namespace {

// The texts of a QSO in the order they are packed.
constexpr std::string logs::LogQso::*kTexts[] = {&logs::LogQso::ownCall,    &logs::LogQso::call,       &logs::LogQso::mode,
                                           &logs::LogQso::rstSent,    &logs::LogQso::rstRcvd,    &logs::LogQso::sentNumber,
                                           &logs::LogQso::rcvdNumber, &logs::LogQso::band};
// The ones the plug-in keeps (not the own call).
constexpr std::size_t kFirstKept = 1;

std::uint64_t TimeKey(const platform::CalendarTime& t) {
  return ((((static_cast<std::uint64_t>(t.year) * 13 + static_cast<std::uint64_t>(t.month)) * 32 +
            static_cast<std::uint64_t>(t.day)) * 24 + static_cast<std::uint64_t>(t.hour)) * 60 +
          static_cast<std::uint64_t>(t.minute)) * 60 + static_cast<std::uint64_t>(t.second);
}

platform::CalendarTime FromTimeKey(std::uint64_t key) {
  platform::CalendarTime t;
  t.second = static_cast<int>(key % 60);
  key /= 60;
  t.minute = static_cast<int>(key % 60);
  key /= 60;
  t.hour = static_cast<int>(key % 24);
  key /= 24;
  t.day = static_cast<int>(key % 32);
  key /= 32;
  t.month = static_cast<int>(key % 13);
  t.year = static_cast<int>(key / 13);
  return t;
}

// Lengths as 7 bits a byte, the high bit set on every byte but the last.
void PutLength(std::string& out, std::size_t length) {
  while (length >= 0x80) {
    out += static_cast<char>(0x80 | (length & 0x7F));
    length >>= 7;
  }
  out += static_cast<char>(length);
}

std::string_view TakeText(std::string_view texts, std::size_t& pos) {
  std::size_t length = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(texts[pos++]);
    length |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) break;
  }
  const std::string_view text = texts.substr(pos, length);
  pos += length;
  return text;
}

}  // namespace

void QsoHandover::Add(const logs::LogQso& qso) {
  qsos_.push_back({TimeKey(qso.time), qso.position.offset, qso.position.line, texts_.size(),
                   qso.freqHz});
  for (const auto text : kTexts) {
    PutLength(texts_, (qso.*text).size());
    texts_ += qso.*text;
  }
}

std::optional<std::pair<std::size_t, std::size_t>> QsoHandover::SortByTime() {
  for (std::size_t i = 1; i < qsos_.size(); ++i) {
    if (qsos_[i].time >= qsos_[i - 1].time) continue;
    const std::pair<std::size_t, std::size_t> lines{qsos_[i - 1].line, qsos_[i].line};
    std::stable_sort(qsos_.begin(), qsos_.end(),
                     [](const Packed& a, const Packed& b) { return a.time < b.time; });
    return lines;
  }
  return std::nullopt;
}

logs::LogQso QsoHandover::At(std::size_t index) const {
  const Packed& packed = qsos_[index];
  logs::LogQso qso;
  qso.position = {static_cast<std::size_t>(packed.offset), static_cast<std::size_t>(packed.line)};
  qso.time = FromTimeKey(packed.time);
  qso.freqHz = packed.freqHz;
  std::size_t pos = static_cast<std::size_t>(packed.texts);
  for (const auto text : kTexts) qso.*text = std::string(TakeText(texts_, pos));
  return qso;
}

bool QsoHandover::SameForPlugin(std::size_t a, std::size_t b) const {
  const Packed& x = qsos_[a];
  const Packed& y = qsos_[b];
  if (x.time != y.time || x.freqHz / 1000 != y.freqHz / 1000) return false;
  std::size_t px = static_cast<std::size_t>(x.texts), py = static_cast<std::size_t>(y.texts);
  for (std::size_t i = 0; i < std::size(kTexts); ++i) {
    const std::string_view tx = TakeText(texts_, px), ty = TakeText(texts_, py);
    if (i >= kFirstKept && tx != ty) return false;
  }
  return true;
}

}  // namespace zelta
