// Order and state of the companion's events, driven with a fake host and fake services.
#include "companion/window/companion_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace companion {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// One journal for host and services, so that the order across both shows.
using Journal = std::vector<std::string>;

void* const hostWindow = reinterpret_cast<void*>(0x4242);

class FakeHost final : public HostLink {
 public:
  explicit FakeHost(Journal& journal) : journal_(journal) {}

  bool BindHost() override {
    journal_.push_back("bind");
    return hostRunning;
  }
  std::optional<HostError> RunHostMacro(const std::string& macro) override {
    journal_.push_back("macro " + macro);
    if (macro == failingMacro) return HostError{"Mode not allowed", static_cast<long>(0x80040201)};
    return std::nullopt;
  }
  void* FindHostWindow() override {
    journal_.push_back("find window");
    return window;
  }
  void FocusHost(void* target) override {
    journal_.push_back(target == hostWindow ? "focus host" : target ? "focus other" : "focus none");
  }
  void ReleaseHost() override { journal_.push_back("release"); }

  bool hostRunning = true;
  void* window = hostWindow;
  std::string failingMacro;

 private:
  Journal& journal_;
};

class FakeServices final : public FormServices {
 public:
  explicit FakeServices(Journal& journal) : journal_(journal) {}

  void ShowMessage(const std::string& text) override {
    journal_.push_back("message");
    messages.push_back(text);
  }
  InstanceMarker CreateInstanceSemaphore(const char* name) override {
    journal_.push_back(std::string("semaphore ") + name);
    return marker;
  }
  void MakeTopmost() override { journal_.push_back("topmost"); }

  InstanceMarker marker{true, 0};
  std::vector<std::string> messages;

 private:
  Journal& journal_;
};

struct Companion {
  Journal journal;
  FakeHost host{journal};
  FakeServices services{journal};
  CompanionForm form{host, services};
};

TEST(CompanionForm, StartUpBindsClaimsTheNameThenSwitchesToCwAndFocusesTheHost) {
  Companion c;
  EXPECT_EQ(c.form.Load(), FormNext::KeepRunning);
  // The macro goes before the focus change, and both after going topmost.
  EXPECT_THAT(c.journal, ElementsAre("bind", "semaphore Ruva_Roda", "find window", "topmost",
                                     "macro <MODE:CW>", "focus host"));
  EXPECT_THAT(c.services.messages, IsEmpty());
  EXPECT_EQ(c.form.HostWindow(), hostWindow);
}

TEST(CompanionForm, StartUpWithoutHostTellsTheOperatorAndEndsBeforeAnythingElse) {
  Companion c;
  c.host.hostRunning = false;
  EXPECT_EQ(c.form.Load(), FormNext::EndProgram);
  // No semaphore is taken, so a later copy is not locked out; no macro is sent.
  EXPECT_THAT(c.journal, ElementsAre("bind", "message", "release"));
  EXPECT_THAT(c.services.messages, ElementsAre("Orvo2 is not loaded"));
}

TEST(CompanionForm, StartUpEndsSilentlyUnlessItIsTheOnlyCopy) {
  // Another copy holds the name (ERROR_ALREADY_EXISTS).
  Companion second;
  second.services.marker = {true, 183};
  EXPECT_EQ(second.form.Load(), FormNext::EndProgram);
  EXPECT_THAT(second.journal, ElementsAre("bind", "semaphore Ruva_Roda", "release"))
      << "a second copy must send no macro and take no focus";
  EXPECT_THAT(second.services.messages, IsEmpty());

  // The call failed outright: no handle, with an error code.
  Companion failed;
  failed.services.marker = {false, 5};
  EXPECT_EQ(failed.form.Load(), FormNext::EndProgram);
  EXPECT_THAT(failed.journal, ElementsAre("bind", "semaphore Ruva_Roda", "release"));

  // No handle although the last error says success.
  Companion noHandle;
  noHandle.services.marker = {false, 0};
  EXPECT_EQ(noHandle.form.Load(), FormNext::EndProgram);

  // A handle with a leftover error code still counts as not alone.
  Companion handleWithError;
  handleWithError.services.marker = {true, 87};
  EXPECT_EQ(handleWithError.form.Load(), FormNext::EndProgram);
  EXPECT_THAT(handleWithError.services.messages, IsEmpty());
}

TEST(CompanionForm, StartUpGoesOnPastHostTroubles) {
  // The host rejects the start-up macro: ignored, the host still gets the focus.
  Companion rejected;
  rejected.host.failingMacro = "<MODE:CW>";
  EXPECT_EQ(rejected.form.Load(), FormNext::KeepRunning);
  EXPECT_THAT(rejected.journal, ElementsAre("bind", "semaphore Ruva_Roda", "find window",
                                            "topmost", "macro <MODE:CW>", "focus host"));
  EXPECT_THAT(rejected.services.messages, IsEmpty()) << "a start-up macro error is not reported";

  // No host window: the macro is still sent; the focus change goes nowhere.
  Companion windowless;
  windowless.host.window = nullptr;
  EXPECT_EQ(windowless.form.Load(), FormNext::KeepRunning);
  EXPECT_THAT(windowless.journal, ElementsAre("bind", "semaphore Ruva_Roda", "find window",
                                              "topmost", "macro <MODE:CW>", "focus none"));
}

TEST(CompanionForm, ButtonsSendTheirMacroThenFocusTheHostEveryTime) {
  Companion c;
  ASSERT_EQ(c.form.Load(), FormNext::KeepRunning);
  c.journal.clear();

  EXPECT_EQ(c.form.ClickSsb(), FormNext::KeepRunning);
  EXPECT_EQ(c.form.ClickCw(), FormNext::KeepRunning);
  // The button keeps no state: the same mode again sends the macro again.
  EXPECT_EQ(c.form.ClickCw(), FormNext::KeepRunning);
  EXPECT_THAT(c.journal, ElementsAre("macro <MODE:SSB>", "focus host", "macro <MODE:CW>",
                                     "focus host", "macro <MODE:CW>", "focus host"));

  // Without a host window the click still switches the mode.
  Companion windowless;
  windowless.host.window = nullptr;
  ASSERT_EQ(windowless.form.Load(), FormNext::KeepRunning);
  windowless.journal.clear();
  windowless.form.ClickSsb();
  EXPECT_THAT(windowless.journal, ElementsAre("macro <MODE:SSB>", "focus none"));
}

TEST(CompanionForm, HostErrorDuringAClickIsReportedAndTheProgramGoesOn) {
  Companion c;
  ASSERT_EQ(c.form.Load(), FormNext::KeepRunning);
  c.journal.clear();
  c.host.failingMacro = "<MODE:SSB>";

  EXPECT_EQ(c.form.ClickSsb(), FormNext::KeepRunning) << "a host error must not end the program";
  // The action stops at the error: no focus change, and nothing is released.
  EXPECT_THAT(c.journal, ElementsAre("macro <MODE:SSB>", "message"));
  ASSERT_EQ(c.services.messages.size(), 1u);
  EXPECT_THAT(c.services.messages[0], ::testing::HasSubstr("Mode not allowed"));
  EXPECT_THAT(c.services.messages[0], ::testing::HasSubstr("0x80040201"));

  // The next click works as before.
  c.journal.clear();
  EXPECT_EQ(c.form.ClickCw(), FormNext::KeepRunning);
  EXPECT_THAT(c.journal, ElementsAre("macro <MODE:CW>", "focus host"));
}

TEST(CompanionForm, HostWatchEndsSilentlyOnceTheHostIsGone) {
  Companion c;
  ASSERT_EQ(c.form.Load(), FormNext::KeepRunning);
  c.journal.clear();

  EXPECT_EQ(c.form.Tick(), FormNext::KeepRunning);
  EXPECT_EQ(c.form.Tick(), FormNext::KeepRunning);
  EXPECT_THAT(c.journal, ElementsAre("bind", "bind")) << "a live host is only bound again";

  c.host.hostRunning = false;
  c.journal.clear();
  EXPECT_EQ(c.form.Tick(), FormNext::EndProgram);
  EXPECT_THAT(c.journal, ElementsAre("bind", "release"));
  EXPECT_THAT(c.services.messages, IsEmpty()) << "the host going away is not reported";
}

TEST(CompanionForm, ClosingTheWindowReleasesTheHostAndEnds) {
  Companion c;
  ASSERT_EQ(c.form.Load(), FormNext::KeepRunning);
  c.journal.clear();
  EXPECT_EQ(c.form.Unload(), FormNext::EndProgram);
  // The host's mode is left as it is: no macro on the way out.
  EXPECT_THAT(c.journal, ElementsAre("release"));
}

TEST(HostErrorText, NamesTheDescriptionAndTheCode) {
  std::string text = HostErrorText({"Unknown macro", static_cast<long>(0x80020009)});
  EXPECT_THAT(text, ::testing::HasSubstr("Unknown macro"));
  EXPECT_THAT(text, ::testing::HasSubstr("0x80020009"));

  // A host that gives no description still gets its code shown.
  text = HostErrorText({"", 5});
  EXPECT_THAT(text, ::testing::HasSubstr("(no description)"));
  EXPECT_THAT(text, ::testing::HasSubstr("0x00000005"));
}

}  // namespace
}  // namespace companion
