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

// The whole journeys (start, click, host error, host gone, close) run against the
// real program in the Wine tests; these pin the orders and the cases they cannot set up.
TEST(CompanionForm, StartUpGoesTopmostThenSwitchesToCwThenFocusesTheHost) {
  const struct {
    const char* failingMacro;
    void* window;
    const char* focus;
  } cases[] = {
      {"", hostWindow, "focus host"},
      {"<MODE:CW>", hostWindow, "focus host"},  // a start-up macro error is not reported
      {"", nullptr, "focus none"},              // no host window: the macro is still sent
  };
  for (const auto& k : cases) {
    Companion c;
    c.host.failingMacro = k.failingMacro;
    c.host.window = k.window;
    EXPECT_EQ(c.form.Load(), FormNext::kKeepRunning);
    EXPECT_THAT(c.journal, ElementsAre("bind", "semaphore Ruva_Roda", "find window", "topmost",
                                       "macro <MODE:CW>", k.focus));
    EXPECT_THAT(c.services.messages, IsEmpty()) << k.failingMacro;
  }
}

TEST(CompanionForm, StartUpEndsWithoutHostOrUnlessItIsTheOnlyCopy) {
  // No host: the operator is told, and no semaphore is taken, so that a later
  // copy is not locked out.
  Companion alone;
  alone.host.hostRunning = false;
  EXPECT_EQ(alone.form.Load(), FormNext::kEndProgram);
  EXPECT_THAT(alone.journal, ElementsAre("bind", "message", "release"));
  EXPECT_THAT(alone.services.messages, ElementsAre("Orvo2 is not loaded"));

  // Another copy holds the name (183, ERROR_ALREADY_EXISTS), the call failed, no
  // handle although the last error says success, a handle with a leftover error.
  for (const InstanceMarker marker : {InstanceMarker{true, 183}, InstanceMarker{false, 5},
                                      InstanceMarker{false, 0}, InstanceMarker{true, 87}}) {
    Companion c;
    c.services.marker = marker;
    EXPECT_EQ(c.form.Load(), FormNext::kEndProgram) << marker.lastError;
    EXPECT_THAT(c.journal, ElementsAre("bind", "semaphore Ruva_Roda", "release"))
        << "a second copy must send no macro and take no focus";
    EXPECT_THAT(c.services.messages, IsEmpty());
  }
}

TEST(CompanionForm, ButtonsSendTheirMacroEveryTimeAndStopAtAHostError) {
  Companion c;
  ASSERT_EQ(c.form.Load(), FormNext::kKeepRunning);
  c.journal.clear();
  // The button keeps no state: the same mode again sends the macro again.
  EXPECT_EQ(c.form.ClickCw(), FormNext::kKeepRunning);
  EXPECT_EQ(c.form.ClickCw(), FormNext::kKeepRunning);
  c.host.failingMacro = "<MODE:SSB>";
  EXPECT_EQ(c.form.ClickSsb(), FormNext::kKeepRunning) << "a host error must not end the program";
  // The action stops at the error: no focus change, and nothing is released.
  EXPECT_THAT(c.journal, ElementsAre("macro <MODE:CW>", "focus host", "macro <MODE:CW>",
                                     "focus host", "macro <MODE:SSB>", "message"));
}

TEST(CompanionForm, HostWatchOnlyBindsALiveHostAgain) {
  Companion c;
  ASSERT_EQ(c.form.Load(), FormNext::kKeepRunning);
  c.journal.clear();
  EXPECT_EQ(c.form.Tick(), FormNext::kKeepRunning);
  c.host.hostRunning = false;
  EXPECT_EQ(c.form.Tick(), FormNext::kEndProgram);
  EXPECT_THAT(c.journal, ElementsAre("bind", "bind", "release"));
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
