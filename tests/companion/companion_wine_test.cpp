// Ext_zelta.exe against the fake host, as separate processes on a virtual display.
//
// Run from the build folder with ZELTA_COMPANION_EXE and ZELTA_FAKE_HOST_EXE naming
// the two programs; the companion's screenshot is written to companion.bmp there.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/companion/fake_host_protocol.h"
#include "tests/support/win32_windows.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_support::WindowText;

// A guard against hangs, not a measure of speed: whatever the tests wait for
// happens at once or at the next tick of the companion's host watch.
constexpr DWORD waitLimit = 15000;

std::string ProgramPath(const char* variable) {
  const char* value = std::getenv(variable);
  std::string path = value != nullptr ? value : "";
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// A child process, ended by force if still running when the object goes.
class Process {
 public:
  explicit Process(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_)) {
      ADD_FAILURE() << "cannot start " << commandLine << ", error " << GetLastError();
      info_ = {};
    } else {
      CloseHandle(info_.hThread);
    }
  }
  ~Process() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, waitLimit);
    }
    CloseHandle(info_.hProcess);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD Id() const { return info_.dwProcessId; }
  void Terminate() {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, waitLimit);
  }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  // Whether the process ended within `milliseconds`.
  bool WaitForEnd(DWORD milliseconds) const {
    return WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_ = {};
};

HWND WaitForWindow(const Process& process, const char* className) {
  return testing_support::WaitForWindow(process.Id(), className, nullptr,
                                        [&process] { return !process.Running(); });
}

HWND WaitForCompanion(const Process& process) { return WaitForWindow(process, "Ext_zelta.Form1"); }
HWND WaitForMessageBox(const Process& process) { return WaitForWindow(process, "#32770"); }

// The text a message box shows (its static control 0xFFFF).
std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void ClickOk(HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

// Clicks a button of the companion without waiting for the click's action
// (which may open a message box).
void Click(HWND companion, int controlId) {
  HWND button = GetDlgItem(companion, controlId);
  ASSERT_NE(button, nullptr) << "button " << controlId << " missing";
  PostMessageA(button, BM_CLICK, 0, 0);
}
constexpr int cwButton = 101;
constexpr int ssbButton = 103;

std::string TempFile(const char* stem) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + stem + std::to_string(GetCurrentProcessId()) + ".log";
  DeleteFileA(path.c_str());
  return path;
}

// The fake host, started and waited for until its object is registered.
class FakeHost {
 public:
  explicit FakeHost(const std::string& options = "")
      : logPath_(TempFile("fake-host-")),
        logEvent_(CreateEventA(nullptr, FALSE, FALSE, fakeHostLogEvent)),
        process_("\"" + ProgramPath("ZELTA_FAKE_HOST_EXE") + "\" --log \"" + logPath_ + "\" " +
                 options) {
    EXPECT_TRUE(WaitForLines([](const std::vector<std::string>& lines) {
      return std::find(lines.begin(), lines.end(), "ready") != lines.end();
    })) << "the fake host did not come up";
    window_ = FindWindowA(fakeHostWindowClass, nullptr);
  }
  ~FakeHost() {
    Close();
    CloseHandle(logEvent_);
    DeleteFileA(logPath_.c_str());
  }

  HWND Window() const { return window_; }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream file(logPath_);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  // The macro lines ("macro ..." and "rejected ..."), in order.
  std::vector<std::string> Macros() const {
    std::vector<std::string> macros;
    for (const std::string& line : Lines())
      if (line.rfind("macro ", 0) == 0 || line.rfind("rejected ", 0) == 0) macros.push_back(line);
    return macros;
  }
  // Waits, on the host's log event, until `done` holds for the log's lines.
  bool WaitForLines(const std::function<bool(const std::vector<std::string>&)>& done) const {
    DWORD start = GetTickCount();
    for (;;) {
      if (done(Lines())) return true;
      DWORD spent = GetTickCount() - start;
      if (spent >= waitLimit) return false;
      WaitForSingleObject(logEvent_, waitLimit - spent);
    }
  }
  // Waits until the log has at least `count` macro lines.
  bool WaitForMacros(size_t count) const {
    return WaitForLines([this, count](const std::vector<std::string>&) {
      return Macros().size() >= count;
    });
  }

  // Ends the host abruptly, as a crash would: its object stays in the table.
  void Kill() { process_.Terminate(); }

  // Ends the host the way its user would: its window is closed.
  void Close() {
    if (!process_.Running()) return;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process_.WaitForEnd(waitLimit)) << "the fake host did not end";
  }

 private:
  std::string logPath_;
  HANDLE logEvent_;
  Process process_;
  HWND window_ = nullptr;
};

Process StartCompanion() { return Process("\"" + ProgramPath("ZELTA_COMPANION_EXE") + "\""); }

int TwipsAt(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

TEST(CompanionProgram, WithoutHostShowsTheMessageAndNoWindow) {
  // Registered but not running, as when the host is installed and closed.
  Process registration("\"" + ProgramPath("ZELTA_FAKE_HOST_EXE") + "\" --register-only");
  ASSERT_TRUE(registration.WaitForEnd(waitLimit));
  ASSERT_EQ(registration.ExitCode(), 0u) << "the fake host could not register its class";

  Process companion = StartCompanion();
  HWND box = WaitForMessageBox(companion);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(MessageBoxText(box), "Orvo2 is not loaded");
  EXPECT_TRUE(testing_support::VisibleWindows(companion.Id(), "Ext_zelta.Form1").empty())
      << "the window must not be shown";

  ClickOk(box);
  EXPECT_TRUE(companion.WaitForEnd(waitLimit)) << "the companion must end after OK";
}

TEST(CompanionProgram, StartsOnTopAndSwitchesTheHostToCwOnce) {
  testing_support::LetWineDrawFrames("Ext_zelta.exe");
  FakeHost host;
  Process companion = StartCompanion();
  HWND window = WaitForCompanion(companion);
  ASSERT_NE(window, nullptr) << "the companion's window did not appear";

  EXPECT_EQ(WindowText(window), "ZELTA TROPHY ");
  LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_NE(exStyle & WS_EX_TOPMOST, 0) << "the window must be topmost";
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);

  HDC screen = GetDC(nullptr);
  int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  EXPECT_EQ(origin.x, TwipsAt(450, dpiX));
  EXPECT_EQ(origin.y, TwipsAt(3105, dpiY));

  // The window reaches the display a moment after it is shown: capture until
  // the form and a button show their colours, or the time is up.
  testing_support::Capture shot;
  int buttonX = TwipsAt(360, dpiX) + 4, buttonY = TwipsAt(120, dpiY) + 4;  // clear of edge and text
  unsigned form = 0, button = 0;
  for (DWORD start = GetTickCount(); GetTickCount() - start < waitLimit; Sleep(100)) {
    shot = testing_support::CaptureWindow(window, "companion.bmp");
    if (buttonX >= shot.clientWidth || buttonY >= shot.clientHeight) break;
    form = shot.clientPixels[2 * shot.clientWidth + 2];
    button = shot.clientPixels[buttonY * shot.clientWidth + buttonX];
    if (form == 0xC0C0C0u && button == 0xE0E0E0u) break;
  }
  EXPECT_EQ(shot.clientWidth, TwipsAt(2490, dpiX));
  EXPECT_EQ(shot.clientHeight, TwipsAt(600, dpiY));
  EXPECT_EQ(form, 0xC0C0C0u) << "form background";
  EXPECT_EQ(button, 0xE0E0E0u) << "button background";

  // A click orders the log: whatever came before it is the start-up's.
  Click(window, ssbButton);
  ASSERT_TRUE(host.WaitForMacros(2));
  EXPECT_THAT(host.Macros(), ElementsAre("macro <MODE:CW>", "macro <MODE:SSB>"));

  // Closing the window ends the program; the host keeps its mode.
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(companion.WaitForEnd(waitLimit));
  EXPECT_EQ(host.Macros().size(), 2u);
}

TEST(CompanionProgram, SecondCopyEndsAtOnceWithoutAMacro) {
  FakeHost host;
  Process first = StartCompanion();
  ASSERT_NE(WaitForCompanion(first), nullptr);
  ASSERT_TRUE(host.WaitForMacros(1));

  Process second = StartCompanion();
  ASSERT_TRUE(second.WaitForEnd(waitLimit)) << "the second copy keeps running";
  EXPECT_THAT(host.Macros(), ElementsAre("macro <MODE:CW>"));
  EXPECT_TRUE(first.Running()) << "the first copy must not be affected";
}

TEST(CompanionProgram, ClickSendsTheMacroThenGivesTheHostTheForeground) {
  FakeHost host;
  Process companion = StartCompanion();
  HWND window = WaitForCompanion(companion);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(host.WaitForMacros(1));

  // Take the foreground away from the host, to see it come back.
  SetForegroundWindow(window);
  ASSERT_TRUE(host.WaitForLines([](const std::vector<std::string>& lines) {
    return !lines.empty() && lines.back() == "background";
  })) << "the host kept the foreground";
  size_t before = host.Lines().size();

  Click(window, ssbButton);
  ASSERT_TRUE(host.WaitForLines([before](const std::vector<std::string>& lines) {
    return std::find(lines.begin() + before, lines.end(), "foreground") != lines.end();
  })) << "the host did not get the foreground";
  std::vector<std::string> lines = host.Lines();
  EXPECT_THAT(std::vector<std::string>(lines.begin() + before, lines.end()),
              ElementsAre("macro <MODE:SSB>", "foreground"));
  EXPECT_EQ(GetForegroundWindow(), host.Window());
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "still above the host";
}

TEST(CompanionProgram, HostErrorIsShownAndTheCompanionGoesOn) {
  FakeHost host("--reject-once <MODE:SSB>");
  Process companion = StartCompanion();
  HWND window = WaitForCompanion(companion);
  ASSERT_NE(window, nullptr);

  Click(window, ssbButton);
  HWND box = WaitForMessageBox(companion);
  ASSERT_NE(box, nullptr) << "the host's error was not shown";
  std::string text = MessageBoxText(box);
  EXPECT_THAT(text, HasSubstr(fakeHostErrorDescriptionA));
  EXPECT_THAT(text, HasSubstr("0x80040201"));
  ClickOk(box);

  Click(window, ssbButton);
  ASSERT_TRUE(host.WaitForMacros(3));
  EXPECT_THAT(host.Macros(),
              ElementsAre("macro <MODE:CW>", "rejected <MODE:SSB>", "macro <MODE:SSB>"));
  EXPECT_TRUE(companion.Running());
}

TEST(CompanionProgram, HostWatchEndsTheCompanionWhileAnErrorIsShown) {
  FakeHost host("--reject-once <MODE:SSB>");
  Process companion = StartCompanion();
  HWND window = WaitForCompanion(companion);
  ASSERT_NE(window, nullptr);
  Click(window, ssbButton);
  ASSERT_NE(WaitForMessageBox(companion), nullptr);

  // The operator has not answered the box yet when the host goes.
  host.Close();
  EXPECT_TRUE(companion.WaitForEnd(waitLimit)) << "the open box kept the companion alive";
}

TEST(CompanionProgram, EndsSilentlyWhenTheHostEndsOrDies) {
  for (const bool dies : {false, true}) {
    FakeHost host;
    Process companion = StartCompanion();
    ASSERT_NE(WaitForCompanion(companion), nullptr);
    ASSERT_TRUE(host.WaitForMacros(1));

    // Killed, the host leaves its object in the table.
    if (dies) host.Kill(); else host.Close();
    // A message box would hold the process; ending in time means none was shown.
    EXPECT_TRUE(companion.WaitForEnd(waitLimit)) << "the companion outlived the host";
    EXPECT_EQ(companion.ExitCode(), 0u);
  }
}

}  // namespace
