#include "host/adif_reader.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/qso_fields.h"

namespace zelta {
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

struct Record {
  LogPosition start;
  bool any = false;                                     // a field was seen
  std::array<std::string_view, kFieldCount> values{};   // first non-empty value, trimmed
  std::string lostUsedField;                            // why a field the host reads was lost
  std::vector<std::string> lostOtherFields;             // the same for fields it ignores
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

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

// Position of the first "<EOH>" in any case, or npos.
std::size_t FindEndOfHeader(std::string_view bytes) {
  for (std::size_t pos = bytes.find('<'); pos != std::string_view::npos;
       pos = bytes.find('<', pos + 1)) {
    if (AsciiUpper(bytes.substr(pos, 5)) == "<EOH>") return pos;
  }
  return std::string_view::npos;
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

class AdifReader {
 public:
  explicit AdifReader(std::string_view bytes) : bytes_(bytes), lines_(bytes) {
    log_.format = LogFormat::Adif;
  }

  QsoLog Read() {
    std::size_t pos = 0;
    // A file that does not begin with '<' has a header, which ends at <EOH>.
    if (!bytes_.empty() && bytes_[0] != '<') {
      const std::size_t eoh = FindEndOfHeader(bytes_);
      if (eoh != std::string_view::npos) pos = eoh + 5;
    }
    for (;;) {
      const std::size_t open = bytes_.find('<', pos);
      if (open == std::string_view::npos) break;
      pos = ReadTag(open);
    }
    // The last record may lack its <EOR>.
    if (current_.any) FinishRecord();
    return std::move(log_);
  }

 private:
  // Reads the tag that starts at `open` and its value; returns where to go on.
  std::size_t ReadTag(std::size_t open) {
    std::size_t close = open + 1;
    while (close < bytes_.size() && bytes_[close] != '>' && bytes_[close] != '<') ++close;
    if (close >= bytes_.size() || bytes_[close] == '<') {
      throw LogRefused(lines_.At(open), "a tag is not closed by '>'");
    }
    const std::string_view specifier = bytes_.substr(open + 1, close - open - 1);
    const std::size_t colon = specifier.find(':');
    const std::string_view name = specifier.substr(0, colon);
    if (name.empty()) throw LogRefused(lines_.At(open), "a tag has no field name");
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
    // A tag without a length carries no data.
    if (!AllDigits(lengthText) || lengthText.size() > 9) {
      throw LogRefused(lines_.At(open), "field " + AsciiUpper(name) + ": the length '" +
                                            std::string(lengthText) + "' is not a number");
    }
    std::size_t length = 0;
    for (char c : lengthText) length = length * 10 + static_cast<std::size_t>(c - '0');
    const std::size_t dataStart = close + 1;
    if (length > bytes_.size() - dataStart) {
      throw LogRefused(lines_.At(open), "field " + AsciiUpper(name) + ": the length " +
                                            std::string(lengthText) +
                                            " runs past the end of the file");
    }
    if (!current_.any) current_.start = lines_.At(open);
    current_.any = true;
    const int field = FieldIndex(name);
    std::size_t end = dataStart + length;
    if (!AtFieldBoundary(bytes_, end)) {
      // Some writers count UTF-8 characters rather than bytes.
      const std::optional<std::size_t> utf8End = Utf8End(bytes_, dataStart, length);
      if (!utf8End || !AtFieldBoundary(bytes_, *utf8End)) {
        std::string reason = "field " + AsciiUpper(name) + " at line " +
                             std::to_string(lines_.At(open).line) + ": its length " +
                             std::string(lengthText) + " does not end where the next field begins";
        if (field == kFieldCount) {
          current_.lostOtherFields.push_back(std::move(reason));
        } else if (current_.lostUsedField.empty()) {
          current_.lostUsedField = std::move(reason);
        }
        return end;
      }
      end = *utf8End;
    }
    if (field != kFieldCount && current_.values[field].empty()) {
      current_.values[field] = TrimBlanks(bytes_.substr(dataStart, end - dataStart));
    }
    return end;
  }

  std::optional<std::string_view> Get(FieldId field) const {
    const std::string_view value = record_->values[field];
    if (value.empty()) return std::nullopt;
    return value;
  }

  std::string Value(FieldId field) const { return std::string(record_->values[field]); }

  // The string form where the log has it, else the numeric serial as three digits.
  std::string ExchangeNumber(FieldId stringField, FieldId serialField) const {
    if (Get(stringField)) return Value(stringField);
    if (Get(serialField)) return SerialText(*Get(serialField)).value_or("");
    return std::string();
  }

  void FinishRecord() {
    ++recordNumber_;
    const Record record = std::move(current_);
    current_ = Record();
    record_ = &record;
    std::string label = "record " + std::to_string(recordNumber_);
    const std::string call = AsciiUpper(Value(kCall));
    if (!call.empty()) label += " (" + call + ")";

    std::string reason = ProblemOf(record, call);
    if (!reason.empty()) {
      log_.skipped.push_back({record.start, label + " skipped: " + reason});
      return;
    }
    for (const std::string& dropped : record.lostOtherFields) {
      log_.warnings.push_back({record.start, label + ": " + dropped + "; the field is ignored"});
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
    log_.qsos.push_back(std::move(qso));
  }

  // Why the record cannot become a QSO, or an empty text when it can.
  std::string ProblemOf(const Record& record, const std::string& call) const {
    if (!record.lostUsedField.empty()) return record.lostUsedField;
    if (call.empty()) return "no CALL";
    platform::CalendarTime time;
    if (!Get(kQsoDate)) return "no QSO_DATE";
    if (!ParseAdifDate(*Get(kQsoDate), time)) {
      return "QSO_DATE '" + Value(kQsoDate) + "' is not a date (YYYYMMDD)";
    }
    if (!Get(kTimeOn)) return "no TIME_ON";
    if (!ParseAdifTime(*Get(kTimeOn), time)) {
      return "TIME_ON '" + Value(kTimeOn) + "' is not a time (HHMM or HHMMSS)";
    }
    if (!Get(kMode)) return "no MODE";
    for (const FieldId serial : {kStx, kSrx}) {
      if (Get(serial) && !SerialText(*Get(serial))) {
        return std::string(kFieldNames[serial]) + " '" + Value(serial) + "' is not a number";
      }
    }
    std::optional<std::uint32_t> hz;
    if (Get(kFreq)) {
      hz = DecimalToScaledInteger(*Get(kFreq), 6);
      if (!hz) return "FREQ '" + Value(kFreq) + "' is not a frequency in MHz";
    }
    if (Get(kBand)) {
      if (!BandForAdifBand(*Get(kBand))) return "BAND '" + Value(kBand) + "' is not a band";
    } else if (!hz) {
      return "neither FREQ nor BAND";
    } else if (!BandForFrequency(*hz)) {
      return "FREQ '" + Value(kFreq) + "' lies on no amateur band and there is no BAND";
    }
    return std::string();
  }

  void FillBandAndFrequency(LogQso& qso, const std::string& label) {
    const std::optional<std::uint32_t> hz =
        Get(kFreq) ? DecimalToScaledInteger(*Get(kFreq), 6) : std::nullopt;
    if (Get(kBand)) {
      qso.band = *BandForAdifBand(*Get(kBand));
      if (!hz) {
        // Without a frequency the band's lower edge stands for it.
        qso.freqHz = BandLowerEdgeHz(qso.band);
        return;
      }
      qso.freqHz = *hz;
      if (BandForFrequency(*hz) != qso.band) {
        log_.warnings.push_back({qso.position, label + ": FREQ '" + Value(kFreq) +
                                                   "' does not lie on BAND '" + Value(kBand) +
                                                   "'; the BAND is used"});
      }
      return;
    }
    qso.freqHz = *hz;
    qso.band = *BandForFrequency(*hz);
  }

  std::string_view bytes_;
  LineCounter lines_;
  QsoLog log_;
  Record current_;
  const Record* record_ = nullptr;  // the record being converted
  int recordNumber_ = 0;
};

}  // namespace

QsoLog ReadAdifLog(std::string_view bytes) { return AdifReader(bytes).Read(); }

}  // namespace zelta
