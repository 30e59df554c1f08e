#include "host/adif_reader.h"

#include <optional>
#include <string>
#include <vector>

#include "host/qso_fields.h"

namespace zelta {
namespace {

struct Field {
  std::string name;        // upper case
  std::string_view value;  // trimmed of blanks
};

struct Record {
  LogPosition start;
  std::vector<Field> fields;
  std::vector<std::string> droppedFields;  // upper-case names
  std::vector<std::string> dropReasons;

  bool Empty() const { return fields.empty() && droppedFields.empty(); }
};

// Fields the host reads; a record that lost one of them cannot be used.
bool IsUsedField(const std::string& name) {
  static constexpr const char* kUsed[] = {
      "CALL", "QSO_DATE", "TIME_ON", "FREQ", "BAND", "MODE", "SUBMODE", "RST_SENT", "RST_RCVD",
      "STX", "SRX", "STX_STRING", "SRX_STRING", "STATION_CALLSIGN", "OPERATOR"};
  for (const char* used : kUsed) {
    if (name == used) return true;
  }
  return false;
}

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
    if (!current_.Empty()) FinishRecord();
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
    const std::string_view spec = bytes_.substr(open + 1, close - open - 1);
    const std::size_t colon = spec.find(':');
    const std::string name = AsciiUpper(spec.substr(0, colon));
    if (name.empty()) throw LogRefused(lines_.At(open), "a tag has no field name");
    if (name == "EOH") {
      // What came before belongs to the header.
      current_ = Record();
      return close + 1;
    }
    if (name == "EOR") {
      if (!current_.Empty()) FinishRecord();
      return close + 1;
    }
    std::string_view lengthText;
    if (colon != std::string_view::npos) {
      lengthText = spec.substr(colon + 1);
      lengthText = lengthText.substr(0, lengthText.find(':'));  // drop the type indicator
    }
    // A tag without a length carries no data.
    if (!AllDigits(lengthText) || lengthText.size() > 9) {
      throw LogRefused(lines_.At(open), "field " + name + ": the length '" +
                                            std::string(lengthText) + "' is not a number");
    }
    std::size_t length = 0;
    for (char c : lengthText) length = length * 10 + static_cast<std::size_t>(c - '0');
    const std::size_t dataStart = close + 1;
    if (length > bytes_.size() - dataStart) {
      throw LogRefused(lines_.At(open), "field " + name + ": the length " +
                                            std::string(lengthText) +
                                            " runs past the end of the file");
    }
    if (current_.Empty()) current_.start = lines_.At(open);
    std::size_t end = dataStart + length;
    if (!AtFieldBoundary(bytes_, end)) {
      // Some writers count UTF-8 characters rather than bytes.
      const std::optional<std::size_t> utf8End = Utf8End(bytes_, dataStart, length);
      if (!utf8End || !AtFieldBoundary(bytes_, *utf8End)) {
        current_.droppedFields.push_back(name);
        current_.dropReasons.push_back("field " + name + " at line " +
                                       std::to_string(lines_.At(open).line) + ": its length " +
                                       std::string(lengthText) +
                                       " does not end where the next field begins");
        return end;
      }
      end = *utf8End;
    }
    current_.fields.push_back({name, TrimBlanks(bytes_.substr(dataStart, end - dataStart))});
    return end;
  }

  std::optional<std::string_view> Get(const char* name) const {
    for (const Field& field : record_->fields) {
      if (field.name == name && !field.value.empty()) return field.value;
    }
    return std::nullopt;
  }

  std::string Value(const char* name) const { return std::string(Get(name).value_or("")); }

  // The string form where the log has it, else the numeric serial as three digits.
  std::string ExchangeNumber(const char* stringField, const char* serialField) const {
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
    const std::string call = AsciiUpper(Value("CALL"));
    if (!call.empty()) label += " (" + call + ")";

    std::string reason = ProblemOf(record, call);
    if (!reason.empty()) {
      log_.skipped.push_back({record.start, label + " skipped: " + reason});
      return;
    }
    for (const std::string& dropped : record.dropReasons) {
      log_.warnings.push_back({record.start, label + ": " + dropped + "; the field is ignored"});
    }
    LogQso qso;
    qso.position = record.start;
    qso.call = call;
    qso.ownCall = AsciiUpper(Get("STATION_CALLSIGN") ? Value("STATION_CALLSIGN")
                                                     : Value("OPERATOR"));
    if (log_.ownCall.empty()) log_.ownCall = qso.ownCall;
    ParseAdifDate(Value("QSO_DATE"), qso.time);
    ParseAdifTime(Value("TIME_ON"), qso.time);
    qso.mode = ModeForAdif(Value("MODE"), Value("SUBMODE"));
    qso.rstSent = Value("RST_SENT");
    qso.rstRcvd = Value("RST_RCVD");
    qso.sentNumber = ExchangeNumber("STX_STRING", "STX");
    qso.rcvdNumber = ExchangeNumber("SRX_STRING", "SRX");
    FillBandAndFrequency(qso, label);
    log_.qsos.push_back(std::move(qso));
  }

  // Why the record cannot become a QSO, or an empty text when it can.
  std::string ProblemOf(const Record& record, const std::string& call) const {
    for (std::size_t i = 0; i < record.droppedFields.size(); ++i) {
      if (IsUsedField(record.droppedFields[i])) return record.dropReasons[i];
    }
    if (call.empty()) return "no CALL";
    platform::CalendarTime time;
    if (!Get("QSO_DATE")) return "no QSO_DATE";
    if (!ParseAdifDate(*Get("QSO_DATE"), time)) {
      return "QSO_DATE '" + Value("QSO_DATE") + "' is not a date (YYYYMMDD)";
    }
    if (!Get("TIME_ON")) return "no TIME_ON";
    if (!ParseAdifTime(*Get("TIME_ON"), time)) {
      return "TIME_ON '" + Value("TIME_ON") + "' is not a time (HHMM or HHMMSS)";
    }
    if (!Get("MODE")) return "no MODE";
    for (const char* serial : {"STX", "SRX"}) {
      if (Get(serial) && !SerialText(*Get(serial))) {
        return std::string(serial) + " '" + Value(serial) + "' is not a number";
      }
    }
    std::optional<std::uint32_t> hz;
    if (Get("FREQ")) {
      hz = DecimalToScaledInteger(*Get("FREQ"), 6);
      if (!hz) return "FREQ '" + Value("FREQ") + "' is not a frequency in MHz";
    }
    if (Get("BAND")) {
      if (!BandForAdifBand(*Get("BAND"))) return "BAND '" + Value("BAND") + "' is not a band";
    } else if (!hz) {
      return "neither FREQ nor BAND";
    } else if (!BandForFrequency(*hz)) {
      return "FREQ '" + Value("FREQ") + "' lies on no amateur band and there is no BAND";
    }
    return std::string();
  }

  void FillBandAndFrequency(LogQso& qso, const std::string& label) {
    const std::optional<std::uint32_t> hz =
        Get("FREQ") ? DecimalToScaledInteger(*Get("FREQ"), 6) : std::nullopt;
    if (Get("BAND")) {
      qso.band = *BandForAdifBand(*Get("BAND"));
      if (!hz) {
        // Without a frequency the band's lower edge stands for it.
        qso.freqHz = BandLowerEdgeHz(qso.band);
        return;
      }
      qso.freqHz = *hz;
      if (BandForFrequency(*hz) != qso.band) {
        log_.warnings.push_back({qso.position, label + ": FREQ '" + Value("FREQ") +
                                                   "' does not lie on BAND '" + Value("BAND") +
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
