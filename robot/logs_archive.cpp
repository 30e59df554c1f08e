#include "robot/logs_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <set>

#include "reports/report_parts.h"
#include "robot/secrets.h"
#include "text/ascii_text.h"

namespace robot {
namespace {

// "2026-12-07T13:16:30Z" as a time_t (UTC); 0 when it is none.
std::time_t UtcTime(const std::string& iso) {
  std::tm tm{};
  if (std::sscanf(iso.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                  &tm.tm_min, &tm.tm_sec) != 6) {
    return 0;
  }
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return timegm(&tm);
}

// One upload's bytes, read from the store only while the zip writes them.
struct UploadSource {
  Store* store;
  std::int64_t id;
  std::uint64_t size;
  std::time_t time;
  std::string bytes;
  std::size_t at = 0;
  zip_error_t error;
};

zip_int64_t ReadUpload(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* source = static_cast<UploadSource*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      try {
        source->bytes = source->store->Content(source->id);
      } catch (const std::exception&) {
        zip_error_set(&source->error, ZIP_ER_READ, 0);
        return -1;
      }
      source->at = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const std::size_t count = std::min<std::size_t>(length, source->bytes.size() - source->at);
      std::copy_n(source->bytes.data() + source->at, count, static_cast<char*>(data));
      source->at += count;
      return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
      std::string().swap(source->bytes);
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->size = source->size;
      stat->mtime = source->time;
      stat->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
      return sizeof(*stat);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&source->error);
      delete source;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

std::string MemberName(const Upload& upload) {
  std::string call;
  for (const char c : upload.summary.call) call += c == '/' ? '-' : c;  // calls are letters, digits, '/'
  return "logs/" + ReceiptStem(upload.receipt) + "_" + call +
         (upload.summary.format == "adif" ? ".adi" : ".cbr");
}

}  // namespace

void WriteLogsArchive(Store& store, const std::string& path) {
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &code);
  if (zip == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw StoreError("cannot make the archive " + path + ": " + reason);
  }
  auto fail = [&](const std::string& what) {
    const std::string reason = zip_strerror(zip);
    zip_discard(zip);
    std::remove(path.c_str());
    throw StoreError("cannot make the archive " + path + " (" + what + "): " + reason);
  };
  // One reading of the uploads: which counts is decided from the same rows.
  const std::vector<Upload> uploads = store.All();
  std::map<std::string, std::int64_t> newestOfCall;
  std::set<std::string> replaced;
  for (const Upload& upload : uploads) {
    newestOfCall[text::AsciiUpper(upload.summary.call)] = upload.id;
    if (upload.replaces) replaced.insert(*upload.replaces);
  }
  std::string manifest = "receipt,call,received,sha256,bytes,category,late,replaces,counts\r\n";
  for (const Upload& upload : uploads) {
    const bool counts = newestOfCall[text::AsciiUpper(upload.summary.call)] == upload.id &&
                        replaced.count(upload.receipt) == 0;
    manifest += upload.receipt + "," + reports::detail::CsvField(upload.summary.call) + "," + upload.received +
                "," + upload.summary.sha256 + "," + std::to_string(upload.summary.bytes) + "," +
                reports::detail::CsvField(upload.summary.category) + "," + (upload.late ? "yes" : "no") + "," +
                upload.replaces.value_or("") + "," + (counts ? "yes" : "no") + "\r\n";
    auto* state = new UploadSource{&store, upload.id, static_cast<std::uint64_t>(upload.summary.bytes),
                                   UtcTime(upload.received), {}, 0, {}};
    zip_error_init(&state->error);
    zip_source_t* source = zip_source_function(zip, ReadUpload, state);
    if (source == nullptr) {
      zip_error_fini(&state->error);
      delete state;
      fail("a source");
    }
    const zip_int64_t index = zip_file_add(zip, MemberName(upload).c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      fail(MemberName(upload));
    }
  }
  // The library reads the manifest's bytes in place, at zip_close() below.
  zip_source_t* source = zip_source_buffer(zip, manifest.data(), manifest.size(), 0);
  if (source == nullptr || zip_file_add(zip, "manifest.csv", source, ZIP_FL_ENC_UTF_8) < 0) {
    if (source != nullptr) zip_source_free(source);
    fail("manifest.csv");
  }
  // The members are read and written now, one after another.
  if (zip_close(zip) != 0) fail("writing");
}

}  // namespace robot
