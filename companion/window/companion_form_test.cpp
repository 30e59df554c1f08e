// The companion's events against a fake host and fake services. The journeys
// (start, click, host error, host gone, close) run against the real program in
// the Wine tests; these pin the orders and the cases those cannot set up.
#include "companion/window/companion_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace companion {
namespace {

using ::testing::ElementsAre;

void* const kHostWindow = reinterpret_cast<void*>(0x4242);

// Host and services in one, with one journal, so that the order across both shows.
class Fakes final : public HostLink, public FormServices {
 public:
  bool BindHost() override {
    journal.push_back("bind");
    return true;
  }
  std::optional<HostError> RunHostMacro(const std::string& macro) override {
    Log("macro " + macro);
    if (macro != failingMacro) return std::nullopt;
    return HostError{"", 5};
  }
  void* FindHostWindow() override {
    Log("find window");
    return window;
  }
  void FocusHost(void* target) override {
    Log(target == kHostWindow ? "focus host" : target ? "focus other" : "focus none");
  }
  void ReleaseHost() override { Log("release"); }
  void ShowMessage(const std::string& text) override { Log("message " + text); }
  InstanceMarker CreateInstanceSemaphore(const char* name) override {
    Log(std::string("semaphore ") + name);
    return marker;
  }
  void MakeTopmost() override { Log("topmost"); }

  void* window = kHostWindow;
  std::string failingMacro;
  InstanceMarker marker{true, 0};
  std::vector<std::string> journal;

 private:
  void Log(std::string line) { journal.push_back(std::move(line)); }
};

TEST(CompanionForm, StartUpAndClicksSendTheMacroThenFocusTheHostButStopAtAHostError) {
  for (void* window : {kHostWindow, static_cast<void*>(nullptr)}) {
    Fakes f;
    f.window = window;  // none: the macros are still sent
    f.failingMacro = "<MODE:CW>";
    CompanionForm form(f, f);
    EXPECT_EQ(form.Load(), FormNext::kKeepRunning) << "a start-up macro error is not reported";
    // The buttons keep no state: the same mode again sends the macro again.
    EXPECT_EQ(form.ClickSsb(), FormNext::kKeepRunning);
    EXPECT_EQ(form.ClickSsb(), FormNext::kKeepRunning);
    EXPECT_EQ(form.ClickCw(), FormNext::kKeepRunning) << "a host error must not end the program";
    // The click's action stops at the error: no focus change, and nothing is released.
    // A host that gives no description still gets its code shown, in eight digits.
    const char* focus = window != nullptr ? "focus host" : "focus none";
    EXPECT_THAT(f.journal,
                ElementsAre("bind", "semaphore Ruva_Roda", "find window", "topmost",
                            "macro <MODE:CW>", focus, "macro <MODE:SSB>", focus, "macro <MODE:SSB>",
                            focus, "macro <MODE:CW>",
                            "message Orvo2 could not switch the mode:\n\n(no description)\n\n"
                            "Error code: 0x00000005"));
  }
}

TEST(CompanionForm, StartUpEndsUnlessItIsTheOnlyCopy) {
  // Another copy holds the name (183, ERROR_ALREADY_EXISTS), the call failed, no
  // handle although the last error says success, a handle with a leftover error.
  for (const InstanceMarker marker : {InstanceMarker{true, 183}, InstanceMarker{false, 5},
                                      InstanceMarker{false, 0}, InstanceMarker{true, 87}}) {
    Fakes f;
    f.marker = marker;
    EXPECT_EQ(CompanionForm(f, f).Load(), FormNext::kEndProgram) << marker.lastError;
    EXPECT_THAT(f.journal, ElementsAre("bind", "semaphore Ruva_Roda", "release"))
        << "a second copy must send no macro and take no focus";
  }
}

}  // namespace
}  // namespace companion
