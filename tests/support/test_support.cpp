#include "tests/support/test_support.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/message_box.h"
#include "platform/ole_calendar.h"

namespace testing_support {

ScopedWorkDir::ScopedWorkDir() : previous_(std::filesystem::current_path()) {
  static std::atomic<int> counter{0};
  do {
    std::ostringstream name;
    name << "zelta-test-" << std::hex << reinterpret_cast<std::uintptr_t>(this) << "-" << counter++
         << "-" << std::rand();
    path_ = std::filesystem::temp_directory_path() / name.str();
  } while (!std::filesystem::create_directory(path_));
  std::filesystem::current_path(path_);
}

ScopedWorkDir::~ScopedWorkDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

MessageBoxRecorder::MessageBoxRecorder() {
  platform::SetMessageBoxHook([this](const std::string& text, const std::string& caption) {
    boxes_.emplace_back(text, caption);
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { platform::SetMessageBoxHook(nullptr); }

COleDateTime MakeDate(int year, int month, int day, int hour, int minute, int second) {
  platform::CalendarTime t;
  t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = second;
  COleDateTime date;
  date.dt = platform::CalendarToOleDate(t);
  return date;
}

}  // namespace testing_support
