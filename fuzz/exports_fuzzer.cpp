// Fuzzes a sequence of host calls into the plug-in's core: starting a run,
// adding and removing QSOs, the call check, the exchange rule and the summary
// (without the report), with the region list file rewritten or removed between
// calls and a host that calls again while a message box is open.
//
// Input: a list of operations, each an operation byte and its texts and numbers
// (FuzzedDataProvider). A text is either one of a few telling values (listed
// stations, contest modes, bands) or arbitrary bytes up to the first zero byte,
// as a C string from the host would be.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_check.h"
#include "platform/launch.h"
#include "platform/message_box.h"
#include "stats/accounting/accounting.h"
#include "stats/call_check/call_check.h"
#include "stats/call_check/exchange_rule.h"
#include "stats/interface/plugin_state.h"
#include "stats/interface/run_lifecycle.h"
#include "stats/summary/summary.h"

namespace fs = std::filesystem;

namespace {

constexpr char kRegionList[] = "Q9LST\r\nQ9MUL some text\r\nQ9ABC/P\r\n;Q9NOT\r\n";

const char* const kCalls[] = {"Q9LST", "Q9MUL", "Q9ABC/P", "Q2XYZ", "q9lst", "", "Q9NOT"};
const char* const kModes[] = {"CW", "SSB", "BPSK63", "BPSK62", "RTTY", "cw", ""};
const char* const kBands[] = {"20", "40", "80", "160", "10", "15", "2", "70cm", ""};
const char* const kNumbers[] = {"001", "017", "599", "1234", "12345", ""};

fs::path g_scratch;

void RemoveScratch() {
  std::error_code ignored;
  fs::current_path(fs::temp_directory_path(), ignored);
  fs::remove_all(g_scratch, ignored);
}

void WriteRegionList(const std::string& bytes) {
  std::ofstream out("Plugins/zelta.dom", std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <std::size_t N>
std::string Text(FuzzedDataProvider& input, const char* const (&choices)[N]) {
  const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, N);
  if (pick < N) return choices[pick];
  std::string text = input.ConsumeRandomLengthString(40);
  return text.substr(0, text.find('\0'));
}

COleDateTime Date(FuzzedDataProvider& input) {
  COleDateTime date;
  date.status = input.PickValueInArray(
      {COleDateTime::valid, COleDateTime::valid, COleDateTime::invalid, COleDateTime::null});
  date.dt = input.ConsumeBool() ? input.ConsumeFloatingPoint<double>()
                                : 46000.0 + input.ConsumeProbability<double>();
  return date;
}

QsoArguments Qso(FuzzedDataProvider& input) {
  QsoArguments qso;
  qso.ownCall = Text(input, kCalls);
  qso.call = Text(input, kCalls);
  qso.time = Date(input);
  qso.freqHz = input.ConsumeIntegral<std::uint32_t>();
  qso.mode = Text(input, kModes);
  qso.rstSent = Text(input, kNumbers);
  qso.rstRcvd = Text(input, kNumbers);
  qso.sentNumber = Text(input, kNumbers);
  qso.rcvdNumber = Text(input, kNumbers);
  qso.aux23 = Text(input, kNumbers);
  qso.aux30 = Text(input, kNumbers);
  qso.band = Text(input, kBands);
  return qso;
}

// The host may call again while a message box is open.
int g_boxDepth = 0;
void HostCallsDuringBox(const std::string&, const std::string&) {
  if (g_boxDepth > 0) return;
  ++g_boxDepth;
  char message[64] = {};
  const int check = CheckCall(Plugin().run, "Q9LST", "20", "CW", message);
  FUZZ_REQUIRE(check >= kDuplicate && check <= kNewMultiplier);
  QsoArguments qso;
  qso.call = "Q9MUL";
  qso.mode = "CW";
  qso.band = "40";
  qso.sentNumber = "001";
  qso.rcvdNumber = "002";
  FUZZ_REQUIRE(AddData(Plugin().run, qso) == 1);
  --g_boxDepth;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A scratch folder of our own: the plug-in writes its files into the current folder.
  std::string pattern = (fs::temp_directory_path() / "zelta-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  g_scratch = pattern;
  fs::current_path(g_scratch);
  std::atexit(RemoveScratch);
  platform::SetMessageBoxHook(HostCallsDuringBox);
  platform::SetStartProgramHook([](const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every input starts from the same folder: the region list and nothing else.
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(g_scratch, ignored)) {
    fs::remove_all(entry.path(), ignored);
  }
  fs::create_directory("Plugins", ignored);
  WriteRegionList(kRegionList);

  FuzzedDataProvider input(data, size);
  PluginState& state = Plugin();
  COleDateTime first;
  first.dt = 46362.5;
  FUZZ_REQUIRE(ResetStats(state, 0, "Q1ABC", first) == 1);

  for (int step = 0; step < 200 && input.remaining_bytes() > 0; ++step) {
    switch (input.ConsumeIntegralInRange<int>(0, 8)) {
      case 0: {
        const std::string ownCall = Text(input, kCalls);
        FUZZ_REQUIRE(ResetStats(state, 0, ownCall, Date(input)) == 1);
        FUZZ_REQUIRE(state.run.qsoStore.Count() == 0 && state.run.bandList.Count() == 0);
        break;
      }
      case 1:
      case 2: {
        const QsoArguments qso = Qso(input);
        const int counted = AddData(state.run, qso);
        FUZZ_REQUIRE(counted == 0 || counted == 1);
        FUZZ_REQUIRE(counted == (IsContestMode(qso.mode) && !qso.sentNumber.empty() &&
                                 !qso.rcvdNumber.empty()));
        // A counted QSO is a duplicate from now on.
        if (counted == 1) {
          FUZZ_REQUIRE(CheckCall(state.run, qso.call, qso.band, qso.mode, nullptr) ==
                       kDuplicate);
          FUZZ_REQUIRE(state.run.bandList.Contains(qso.band));
        }
        break;
      }
      case 3: {
        const QsoArguments qso = Qso(input);
        const std::size_t before = state.run.qsoStore.Count();
        const int removed = RemoveData(state.run, qso);
        FUZZ_REQUIRE(removed == (qso.sentNumber.empty() || qso.rcvdNumber.empty() ? 0 : 1));
        FUZZ_REQUIRE(state.run.qsoStore.Count() == before ||
                     state.run.qsoStore.Count() + 1 == before);
        break;
      }
      case 4: {
        const std::string call = Text(input, kCalls);
        const std::string band = Text(input, kBands);
        const std::string mode = Text(input, kModes);
        // The message and its zero fill 33 bytes; the rest of the buffer stays.
        char message[64];
        std::memset(message, '#', sizeof message);
        const int check = CheckCall(state.run, call, band, mode, message);
        FUZZ_REQUIRE(check >= kDuplicate && check <= kNewMultiplier);
        if (check == kNewMultiplier) {
          FUZZ_REQUIRE(std::memcmp(message, kNewMultiplierText, sizeof kNewMultiplierText) == 0);
        } else {
          FUZZ_REQUIRE(message[0] == '#');
        }
        for (std::size_t i = sizeof kNewMultiplierText; i < sizeof message; ++i) {
          FUZZ_REQUIRE(message[i] == '#');
        }
        break;
      }
      case 5: {
        const int flag = input.ConsumeIntegral<int>();
        const int valid = IsValidExchg(Text(input, kNumbers), flag);
        FUZZ_REQUIRE(valid == 0 || valid == 1);
        break;
      }
      case 6: {
        int score = -1;
        const char* summary = GetResult(state, input.ConsumeBool() ? &score : nullptr);
        FUZZ_REQUIRE(summary != nullptr && !state.summaryTexts.empty() &&
                     summary == state.summaryTexts.back().c_str());
        break;
      }
      case 7:
        WriteRegionList(input.ConsumeRandomLengthString(200));
        break;
      case 8:
        fs::remove("Plugins/zelta.dom", ignored);
        break;
    }
  }
  return 0;
}
