#include "logs/adif_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "logs/log_notes.h"
#include "logs/qso_fields.h"

namespace logs {
namespace {

// The fields the host reads, in the order of kFieldNames.
enum FieldId {
  kCall, kQsoDate, kTimeOn, kFreq, kBand, kMode, kSubmode, kRstSent, kRstRcvd, kStx, kSrx,
  kStxString, kSrxString, kStationCallsign, kOperator, kFieldCount
};

constexpr std::string_view kFieldNames[kFieldCount] = {
    "CALL", "QSO_DATE", "TIME_ON", "FREQ", "BAND", "MODE", "SUBMODE", "RST_SENT", "RST_RCVD",
    "STX", "SRX", "STX_STRING", "SRX_STRING", "STATION_CALLSIGN", "OPERATOR"};

// The field that `name` names in any case, or kFieldCount for one the host ignores.
int FieldIndex(std::string_view name) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (EqualsIgnoringCase(name, kFieldNames[i])) return i;
  }
  return kFieldCount;
}

// <EOF>, <APP_LoTW_EOF> and the like close a file; they are no field of a record.
bool IsEndOfFileMarker(std::string_view name) {
  return EqualsIgnoringCase(name, "EOF") ||
         (name.size() > 4 && EqualsIgnoringCase(name.substr(name.size() - 4), "_EOF"));
}

struct Record {
  LogPosition start;
  bool any = false;                                     // a field was seen
  std::array<std::string_view, kFieldCount> values{};   // first non-empty value, trimmed
  std::string lostUsedField;                            // why a field the host reads was lost
  std::vector<LogNote> lostOtherFields;                 // the same for fields it ignores
  std::size_t calls = 0;                                // non-empty CALL fields
  int conflict = kFieldCount;                           // a field given twice, differently
};


bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Where a value's data may end: the end of the file, the next tag or white space.
bool AtFieldBoundary(std::string_view bytes, std::size_t end) {
  return end == bytes.size() || bytes[end] == '<' || IsBlank(bytes[end]);
}

// The end of `count` UTF-8 characters from `start`, or nullopt when the bytes
// there are not that many well-formed characters.
std::optional<std::size_t> Utf8End(std::string_view bytes, std::size_t start, std::size_t count) {
  std::size_t pos = start;
  for (std::size_t i = 0; i < count; ++i) {
    if (pos >= bytes.size()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    std::size_t size;
    if (lead < 0x80) {
      size = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      size = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      size = 4;
    } else {
      return std::nullopt;
    }
    if (size > bytes.size() - pos) return std::nullopt;
    for (std::size_t k = 1; k < size; ++k) {
      const auto next = static_cast<unsigned char>(bytes[pos + k]);
      if (next < 0x80 || next > 0xBF) return std::nullopt;
    }
    pos += size;
  }
  return pos;
}

// Position of the first `tag` ("<EOH>", "<EOR>") in any case from `from`, or npos.
std::size_t FindTag(std::string_view bytes, std::string_view tag, std::size_t from) {
  for (std::size_t pos = bytes.find('<', from); pos != std::string_view::npos;
       pos = bytes.find('<', pos + 1)) {
    if (EqualsIgnoringCase(bytes.substr(pos, tag.size()), tag)) return pos;
  }
  return std::string_view::npos;
}

struct Problem {
  std::string kind;  // groups the records with the same problem
  std::string text;
};

class AdifReader {
 public:
  AdifReader(std::string_view bytes, const QsoSink& sink)
      : bytes_(bytes), lines_(bytes), sink_(sink) {
    log_.format = LogFormat::kAdif;
  }

  QsoLog Read() {
    std::size_t pos = 0;
    // A file that does not begin with '<' has a header, which ends at <EOH>.
    if (!bytes_.empty() && bytes_[0] != '<') {
      const std::size_t eoh = FindTag(bytes_, "<EOH>", 0);
      if (eoh != std::string_view::npos) pos = eoh + 5;
    }
    hasRecordEnds_ = FindTag(bytes_, "<EOR>", pos) != std::string_view::npos;
    for (;;) {
      const std::size_t open = bytes_.find('<', pos);
      if (open == std::string_view::npos) break;
      pos = ReadTag(open);
    }
    // The last record may lack its <EOR>.
    if (current_.any) FinishRecord();
    skippedGroups_.Finish();
    warningGroups_.Finish();
    fieldGroups_.Finish();
    return std::move(log_);
  }

 private:
  // Reads the tag that starts at `open` and its value; returns where to go on.
  std::size_t ReadTag(std::size_t open) {
    std::size_t close = open + 1;
    while (close < bytes_.size() && bytes_[close] != '>' && bytes_[close] != '<') ++close;
    if (close >= bytes_.size() || bytes_[close] == '<') {
      return Damage(open, "a tag is not closed by '>'");
    }
    const std::string_view specifier = bytes_.substr(open + 1, close - open - 1);
    const std::size_t colon = specifier.find(':');
    const std::string_view name = specifier.substr(0, colon);
    if (name.empty()) return Damage(open, "a tag has no field name");
    if (EqualsIgnoringCase(name, "EOH")) {
      // What came before belongs to the header.
      current_ = Record();
      return close + 1;
    }
    if (EqualsIgnoringCase(name, "EOR")) {
      if (current_.any) FinishRecord();
      return close + 1;
    }
    std::string_view lengthText;
    if (colon != std::string_view::npos) {
      lengthText = specifier.substr(colon + 1);
      lengthText = lengthText.substr(0, lengthText.find(':'));  // drop the type indicator
    }
    // Only messages need these; most fields never have one.
    auto shownName = [&] { return ShownText(AsciiUpper(name)); };
    // A tag without a length carries no data.
    if ((!lengthText.empty() && !AllDigits(lengthText)) || lengthText.size() > 9) {
      return Damage(open, "field " + shownName() + ": the length '" + ShownText(lengthText) +
                              "' is not a number");
    }
    std::size_t length = 0;
    for (char c : lengthText) length = length * 10 + static_cast<std::size_t>(c - '0');
    const std::size_t dataStart = close + 1;
    const int field = IsEndOfFileMarker(name) ? -1 : FieldIndex(name);
    if (field < 0) return dataStart + std::min(length, bytes_.size() - dataStart);
    auto where = [&] { return lines_.At(open); };
    if (!current_.any) current_.start = where();
    current_.any = true;

    auto tooLong = [&](std::size_t nextTag) {
      const std::string_view value = TrimBlanks(bytes_.substr(dataStart, nextTag - dataStart));
      fieldGroups_.Add("length", where(),
                         "field " + shownName() + ": its length " + std::string(lengthText) +
                             " runs past the value '" + ShownText(value) +
                             "' into the next tag; the shorter value is taken");
      Keep(field, value);
      return nextTag;
    };
    if (length > bytes_.size() - dataStart) {
      if (const auto next = EmbeddedTag(dataStart, bytes_.size())) return tooLong(*next);
      return Damage(open, "field " + shownName() + ": the length " + std::string(lengthText) +
                              " runs past the end of the file");
    }
    std::size_t end = dataStart + length;
    if (!AtFieldBoundary(bytes_, end)) {
      // Some writers count UTF-8 characters rather than bytes.
      const std::optional<std::size_t> utf8End = Utf8End(bytes_, dataStart, length);
      if (!utf8End || !AtFieldBoundary(bytes_, *utf8End)) {
        if (const auto next = EmbeddedTag(dataStart, end)) return tooLong(*next);
        std::string reason = "field " + shownName() + " at line " + std::to_string(where().line) +
                             ": its length " + std::string(lengthText) +
                             " does not end where the next field begins";
        if (field == kFieldCount) {
          current_.lostOtherFields.push_back({where(), std::move(reason)});
        } else if (current_.lostUsedField.empty()) {
          current_.lostUsedField = std::move(reason);
        }
        return end;
      }
      end = *utf8End;
    }
    // The host's fields never hold a tag: one inside means the length is too long.
    if (field != kFieldCount) {
      if (const auto next = EmbeddedTag(dataStart, end)) return tooLong(*next);
    }
    Keep(field, TrimBlanks(bytes_.substr(dataStart, end - dataStart)));
    return end;
  }

  void Keep(int field, std::string_view value) {
    if (field == kFieldCount || value.empty()) return;
    if (field == kCall) ++current_.calls;
    std::string_view& kept = current_.values[field];
    if (kept.empty()) {
      kept = value;
    } else if (kept != value && current_.conflict == kFieldCount &&
               (field == kCall || field == kQsoDate || field == kTimeOn)) {
      current_.conflict = field;
    }
  }

  // The first '<' in [dataStart, limit) when a blank stands before it and it
  // begins a complete tag (<EOR>, or a field whose data ends at a field boundary).
  std::optional<std::size_t> EmbeddedTag(std::size_t dataStart, std::size_t limit) const {
    const std::size_t p = bytes_.find('<', dataStart);
    if (p == std::string_view::npos || p >= limit || p == dataStart) return std::nullopt;
    if (!IsBlank(bytes_[p - 1]) || !CompleteTagAt(p)) return std::nullopt;
    return p;
  }

  bool CompleteTagAt(std::size_t open) const {
    std::size_t pos = open + 1;
    while (pos < bytes_.size() && IsNameChar(bytes_[pos])) ++pos;
    const std::string_view name = bytes_.substr(open + 1, pos - open - 1);
    if (name.empty() || pos >= bytes_.size()) return false;
    if (bytes_[pos] == '>') return EqualsIgnoringCase(name, "EOR") || EqualsIgnoringCase(name, "EOH");
    if (bytes_[pos] != ':') return false;
    std::size_t length = 0, digits = 0;
    for (++pos; pos < bytes_.size() && bytes_[pos] >= '0' && bytes_[pos] <= '9' && digits < 9;
         ++pos, ++digits) {
      length = length * 10 + static_cast<std::size_t>(bytes_[pos] - '0');
    }
    if (digits == 0 || pos >= bytes_.size()) return false;
    if (bytes_[pos] == ':' && pos + 2 < bytes_.size() && IsNameChar(bytes_[pos + 1])) pos += 2;
    if (bytes_[pos] != '>') return false;
    const std::size_t dataStart = pos + 1;
    if (length > bytes_.size() - dataStart) return false;
    if (AtFieldBoundary(bytes_, dataStart + length)) return true;
    const auto utf8End = Utf8End(bytes_, dataStart, length);
    return utf8End && AtFieldBoundary(bytes_, *utf8End);
  }

  // A damaged tag at `open`: the record it stands in is lost, and reading goes on
  // after the next <EOR>, or ends when there is none. Returns where to go on.
  std::size_t Damage(std::size_t open, const std::string& what) {
    ++recordNumber_;
    const LogPosition where = lines_.At(open);
    const std::size_t eor = FindTag(bytes_, "<EOR>", open + 1);
    const std::size_t resume = eor == std::string_view::npos ? bytes_.size() : eor + 5;
    // Records whose CALL lies in the part not read are lost with it.
    std::size_t lost = current_.values[kCall].empty() ? 0 : 1;
    for (std::size_t p = FindTag(bytes_, "<CALL:", open + 1); p < resume;
         p = FindTag(bytes_, "<CALL:", p + 1)) {
      ++lost;
    }
    if (lost == 0) lost = 1;
    std::string text = "damaged: " + what + "; " +
                       std::to_string(lost) + (lost == 1 ? " record" : " records") + " lost, ";
    text += eor == std::string_view::npos
                ? "the rest of the file is not read"
                : "reading goes on after the <EOR> on line " + std::to_string(lines_.At(eor).line);
    skippedGroups_.Add("damaged", where, std::move(text), lost);
    current_ = Record();
    return resume;
  }

  std::optional<std::string_view> Get(FieldId field) const {
    const std::string_view value = record_->values[field];
    if (value.empty()) return std::nullopt;
    return value;
  }

  std::string Value(FieldId field) const { return std::string(record_->values[field]); }
  std::string Shown(FieldId field) const { return ShownText(record_->values[field]); }

  // The string form where the log has it, else the numeric serial as three digits.
  std::string ExchangeNumber(FieldId stringField, FieldId serialField) const {
    if (Get(stringField)) return Value(stringField);
    if (Get(serialField)) return SerialText(*Get(serialField)).value_or("");
    return std::string();
  }

  void FinishRecord() {
    ++recordNumber_;
    Record record = std::move(current_);
    current_ = Record();
    record_ = &record;
    std::string label = "record " + std::to_string(recordNumber_);
    const std::string call = AsciiUpper(Value(kCall));
    if (!call.empty()) label += " (" + ShownText(call) + ")";

    if (record.conflict != kFieldCount) {
      // Fields of several QSOs ran together: which belongs to which cannot be told.
      const std::size_t lost = record.calls > 1 ? record.calls : 2;
      const std::string fieldName(kFieldNames[record.conflict]);
      if (!hasRecordEnds_) {
        skippedGroups_.Add("no-eor", record.start,
                           "the file has no record ends (<EOR>): the fields of its " +
                               std::to_string(lost) + " QSOs cannot be told apart; none is read",
                           lost);
      } else {
        skippedGroups_.Add("merged", record.start,
                           label + " skipped: it holds two different " + fieldName +
                               " values, an <EOR> is missing; " + std::to_string(lost) +
                               " records lost",
                           lost);
      }
      return;
    }
    const Problem problem = ProblemOf(record);
    if (!problem.text.empty()) {
      skippedGroups_.Add(problem.kind, record.start, label + " skipped: " + problem.text);
      return;
    }
    for (LogNote& dropped : record.lostOtherFields) {
      warningGroups_.Add("dropped", dropped.position,
                         label + ": " + dropped.text + "; the field is ignored");
    }
    LogQso qso;
    qso.position = record.start;
    qso.call = call;
    qso.ownCall = AsciiUpper(Get(kStationCallsign) ? Value(kStationCallsign)
                                                     : Value(kOperator));
    if (log_.ownCall.empty()) log_.ownCall = qso.ownCall;
    ParseAdifDate(Value(kQsoDate), qso.time);
    ParseAdifTime(Value(kTimeOn), qso.time);
    qso.mode = ModeForAdif(Value(kMode), Value(kSubmode));
    qso.rstSent = Value(kRstSent);
    qso.rstRcvd = Value(kRstRcvd);
    qso.sentNumber = ExchangeNumber(kStxString, kStx);
    qso.rcvdNumber = ExchangeNumber(kSrxString, kSrx);
    FillBandAndFrequency(qso, label);
    if (sink_) {
      sink_(std::move(qso));
    } else {
      log_.qsos.push_back(std::move(qso));
    }
  }

  // Why the record cannot become a QSO, or an empty text when it can.
  Problem ProblemOf(const Record& record) const {
    if (!record.lostUsedField.empty()) return {"length", record.lostUsedField};
    if (!Get(kCall)) return {"call", "no CALL"};
    platform::CalendarTime time;
    if (!Get(kQsoDate)) return {"no-date", "no QSO_DATE"};
    if (!ParseAdifDate(*Get(kQsoDate), time)) {
      return {"date", "QSO_DATE '" + Shown(kQsoDate) + "' is not a date (YYYYMMDD)"};
    }
    if (!Get(kTimeOn)) return {"no-time", "no TIME_ON"};
    if (!ParseAdifTime(*Get(kTimeOn), time)) {
      return {"time", "TIME_ON '" + Shown(kTimeOn) + "' is not a time (HHMM or HHMMSS)"};
    }
    if (!Get(kMode)) return {"mode", "no MODE"};
    for (const FieldId serial : {kStx, kSrx}) {
      if (Get(serial) && !SerialText(*Get(serial))) {
        return {"serial", std::string(kFieldNames[serial]) + " '" + Shown(serial) +
                              "' is not a number"};
      }
    }
    if (Get(kBand)) {
      if (!BandForAdifBand(*Get(kBand))) return {"band", "BAND '" + Shown(kBand) + "' is not a band"};
      return {};
    }
    if (!Get(kFreq)) return {"no-band", "neither FREQ nor BAND"};
    const std::optional<std::uint64_t> hz = DecimalToScaledInteger(*Get(kFreq), 6);
    if (!hz) return {"freq", "FREQ '" + Shown(kFreq) + "' is not a frequency in MHz and there is no BAND"};
    if (!BandForFrequency(*hz)) {
      return {"freq", "FREQ '" + Shown(kFreq) + "' lies on no amateur band and there is no BAND"};
    }
    return {};
  }

  // A valid BAND wins over the FREQ: a FREQ that is no frequency or lies off the
  // band is replaced by the band's lower edge, with a warning.
  void FillBandAndFrequency(LogQso& qso, const std::string& label) {
    const std::optional<std::uint64_t> hz =
        Get(kFreq) ? DecimalToScaledInteger(*Get(kFreq), 6) : std::nullopt;
    if (!Get(kBand)) {
      qso.freqHz = PluginHz(*hz);
      qso.band = *BandForFrequency(*hz);
      return;
    }
    qso.band = *BandForAdifBand(*Get(kBand));
    if (hz && BandForFrequency(*hz) == qso.band) {
      qso.freqHz = PluginHz(*hz);
      return;
    }
    qso.freqHz = PluginHz(BandLowerEdgeHz(qso.band));
    if (!Get(kFreq)) return;
    warningGroups_.Add("freq", qso.position,
                       label + ": FREQ '" + Shown(kFreq) + "' " +
                           (hz ? "does not lie on BAND '" + Shown(kBand) + "'"
                               : std::string("is not a frequency in MHz")) +
                           "; the BAND is used, at its lower edge");
  }

  std::string_view bytes_;
  LineCounter lines_;
  const QsoSink& sink_;
  QsoLog log_;
  NoteGroups skippedGroups_{log_.skipped, "record"};
  NoteGroups warningGroups_{log_.warnings, "record"};
  NoteGroups fieldGroups_{log_.warnings, "field"};
  Record current_;
  const Record* record_ = nullptr;  // the record being converted
  int recordNumber_ = 0;
  bool hasRecordEnds_ = false;
};

}  // namespace

QsoLog ReadAdifLog(std::string_view bytes, const QsoSink& sink) {
  return AdifReader(bytes, sink).Read();
}

}  // namespace logs
