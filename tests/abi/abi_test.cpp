// Loads the built plug-in by path, as the host does, and calls every export with its
// complete argument list; the arguments the plug-in ignores carry values a host might
// pass. The same source runs against libStats.so natively and against Stats.dll under
// Wine; both must leave the same bytes on disk.
#ifdef _WIN32
#include <windows.h>
#include <dbghelp.h>
#endif

#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/shared_library.h"
#include "stats/interface/stats_abi.h"
#include "tests/abi/declared_exports.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::MakeDate;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

// Holds the built plug-in, loaded by path from beside the test program as the host
// loads it (the target defines STATS_LIBRARY_NAME).
class AbiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto path =
        std::filesystem::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME;
    std::string error;
    library_ = platform::OpenSharedLibrary(path.string(), error);
    ASSERT_NE(library_, nullptr) << path.string() << ": " << error;
  }
  static void TearDownTestSuite() { platform::CloseSharedLibrary(library_); }

  // The export `name` as a function of type Fn; null when there is none.
  template <typename Fn>
  static Fn Find(const char* name) {
    return reinterpret_cast<Fn>(platform::FindSharedLibrarySymbol(library_, name));
  }

  static inline void* library_ = nullptr;

  struct Qso {
    const char* call = "Q2XYZ";
    COleDateTime time = MakeDate(2026, 12, 6, 9, 5);
    unsigned int freqHz = 14025999;
    const char* mode = "CW";
    const char* rstSent = "599";
    const char* sent = "001";
    const char* rcvd = "017";
    const char* band = "20";
  };

  // AddData0 or RemoveData0 with all 33 arguments.
  int Call(const char* name, Qso q) {
    COleDateTime other = MakeDate(2000, 1, 1);
    return Find<QsoDataFn>(name)("Q1ABC", q.call, &q.time, &other, &other, &other, 7u, q.freqHz,
                                 q.mode, q.rstSent, "579", q.sent, q.rcvd, "t14", "t15", "t16",
                                 "t17", "t18", "t19", "t20", "t21", "t22", "a23", 24, 25, 26, 27.5,
                                 28.5, "t29", "a30", "t31", q.band, "t33");
  }

  // CheckCall0 (under either name) with all 28 arguments.
  int Check(const char* name, const char* call, const char* mode, char* message) {
    char scratch[64] = "untouched";
    const int result = Find<CheckCall0Fn>(name)(
        call, 2u, 3u, mode, "t5", "t6", "t7", "t8", "t9", "t10", "t11", "t12", "t13", "t14", 15,
        16, 17, 18.5, 19.5, "t20", "t21", "t22", "t23", "t24", "20", "t26", scratch, message);
    EXPECT_STREQ(scratch, "untouched") << "argument 27 is never written";
    return result;
  }
};

// Every name stats.def exports is found, an alias leads to its target, and each
// decorated name spells the signature declared in stats_abi.h, as the system's
// undecorator reads it back.
TEST_F(AbiTest, EveryExportOfTheDefFileIsFoundAndDecoratedAsDeclared) {
  auto declared = abi_test::DeclaredExports();
  std::istringstream def(abi_test::kStatsDef);
  bool inExports = false;
  int plain = 0;
  for (std::string line; std::getline(def, line);) {
    std::istringstream words(line.substr(0, line.find(';')));
    std::string name, equals, target;
    if (!(words >> name) || (name == "EXPORTS" && (inExports = true)) || !inExports) continue;
    words >> equals >> target;
    if (name[0] == '?') {
      ASSERT_EQ(declared.count(target), 1u) << name;
      EXPECT_EQ(name, declared[target].decorated);
#ifdef _WIN32
      char text[2048] = {};
      ASSERT_NE(UnDecorateSymbolName(name.c_str(), text, sizeof text, UNDNAME_COMPLETE), 0u) << name;
      EXPECT_EQ(std::string(text), declared[target].undecorated) << name;
#endif
      declared.erase(target);
#ifndef _WIN32
      continue;  // decorated names exist only in the DLL
#endif
    } else {
      ++plain;
    }
    EXPECT_NE(platform::FindSharedLibrarySymbol(library_, name.c_str()), nullptr) << name;
    if (!target.empty()) EXPECT_EQ(Find<void*>(name.c_str()), Find<void*>(target.c_str())) << name;
  }
  EXPECT_EQ(plain, 13);
  EXPECT_TRUE(declared.empty()) << "no decorated name for " << declared.begin()->first;
}

// The aliases lead to the same functions (above), so each is called under one name.
TEST_F(AbiTest, ScoringSetsAndExchangeRule) {
  EXPECT_NE(Find<SetupSet0Fn>("SetupSet0"), nullptr) << "found; it opens a dialog, so not called";
  EXPECT_EQ(Find<GetNumberOfSetsFn>("GetNumberOfSets")(), 1);
  for (const auto& [index, name] : {std::pair{0, "ZELTA-CUP"}, std::pair{1, ""}, std::pair{-1, ""}}) {
    EXPECT_STREQ(Find<GetSetNameFn>("GetSetName")(index), name) << index;
  }
  EXPECT_EQ(Find<GetExchgCount0Fn>("GetExchgCount0")("a", nullptr, "c"), 1);
  EXPECT_EQ(Find<IsValidExchg0Fn>("IsValidExchg0")("017", "b", "c", "d", 5, 6, 0), 1);
  EXPECT_EQ(Find<IsValidExchg0Fn>("IsValidExchg0")(nullptr, nullptr, nullptr, nullptr, 0, 0, 0), 0);
}

TEST_F(AbiTest, ARunLeavesTheSameCheckFileOnEveryPlatform) {
  ScopedWorkDir dir;
  WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\nQ9MUL\r\n");
  const auto reset = Find<ResetStats0Fn>("ResetStats0");
  // Null texts everywhere are empty texts.
  ASSERT_EQ(reset(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr),
            1);
  COleDateTime first = MakeDate(2026, 12, 6, 13, 45), second = MakeDate(2026, 12, 7);
  ASSERT_EQ(reset("Q1HOST", 0, "Q1ABC/P", &first, &second, "t6", "t7", "t8", "t9", "t10", "t11",
                  "t12", "t13", "t14", "t15", 16, 17, 18, 19.5, 20.5, "t21", "t22", "t23"),
            1);

  const Qso accepted, listed{.call = "Q9LST", .mode = "SSB", .band = "40"};
  EXPECT_EQ(Call("AddData0", accepted), 1);
  EXPECT_EQ(Call("AddData0", listed), 1);
  EXPECT_EQ(Call("AddData0", {.freqHz = 3550000, .mode = "BPSK31"}), 0);
  EXPECT_EQ(Call("AddData0", {.rcvd = ""}), 0);
  EXPECT_EQ(Call("AddData0", {.call = nullptr, .time = {0, COleDateTime::kNull}, .mode = "RTTY",
                              .rstSent = nullptr}),
            0);

  char message[64] = {};
  EXPECT_EQ(Check("CheckCallFunc0", "Q2XYZ", "CW", message), 0);
  EXPECT_EQ(Check("CheckCallFunc0", "Q2XYZ", "SSB", message), 1);
  EXPECT_EQ(Check("CheckCallFunc0", "Q9MUL", "CW", message), 2);
  EXPECT_STREQ(message, "\xCD\xEE\xE2\xFB\xE9 \xEC\xF3\xEB\xFC\xF2 ! "
                       "\xD7\xEB\xE5\xED \xEA\xEE\xED\xF4\xE5\xF0\xE5\xED\xF6\xE8\xE8 !");
  EXPECT_EQ(Check("CheckCall0", "Q9MUL", "CW", nullptr), 2) << "no buffer, no write";
  EXPECT_EQ(Check("CheckCall0", "Q9LST", "CW", message), 1) << "counted already";
  EXPECT_EQ(Call("RemoveData0", listed), 1);
  EXPECT_EQ(Check("CheckCall0", "Q9LST", "CW", message), 2) << "its only QSO is gone";
  EXPECT_EQ(Call("RemoveData0", {.sent = ""}), 0);

  int score = -7;
  const auto result = Find<GetResult0Fn>("GetResult0");
  EXPECT_NE(result(&score), nullptr);
  EXPECT_EQ(score, 0) << "one unlisted QSO, no multiplier";
  EXPECT_NE(result(nullptr), nullptr) << "a null score is not written";

  // The own call names the file with '/' mapped; the header keeps it unchanged.
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"),
            "ZELTA TROPHY TEST UBN file Q1ABC/P\r\n\r\n"
            "QSO: 3550  BPSK31  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"
            "QSO: 14025  CW  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  No RX number\r\n"
            "QSO: 14025  RTTY    Q1ABC    001    579  017 No contest mode \r\n");
}

}  // namespace
