// Ext_zelta.exe against the fake host, as separate processes on a virtual display.
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

#include "companion/window/form_layout.h"
#include "tests/companion/fake_host_protocol.h"
#include "tests/support/win32_windows.h"

namespace {

using ::testing::ElementsAre;
using testing_support::WindowText;
using Lines = std::vector<std::string>;

// A guard against hangs, not a measure of speed: whatever the tests wait for
// happens at once or at the next tick of the companion's host watch.
constexpr DWORD kWaitLimit = 15000;

// A child process, ended by force if still running when the object goes.
struct Process {
  // `program` names the environment variable that holds the program's path.
  explicit Process(const char* program, const std::string& arguments = "") {
    std::string line = std::string("\"") + (std::getenv(program) ? std::getenv(program) : "") + "\"";
    std::replace(line.begin(), line.end(), '/', '\\');
    line += " " + arguments;
    STARTUPINFOA startup = {sizeof startup};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
      ADD_FAILURE() << "cannot start " << line << ", error " << GetLastError();
    CloseHandle(info.hThread);
  }
  ~Process() {
    Terminate();
    CloseHandle(info.hProcess);
  }

  void Terminate() {
    if (Running() && TerminateProcess(info.hProcess, 99)) WaitForEnd(kWaitLimit);
  }
  bool Running() const { return !WaitForEnd(0); }
  bool WaitForEnd(DWORD milliseconds) const {
    return WaitForSingleObject(info.hProcess, milliseconds) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  // The process's first visible window of class `className`; null once the process has ended.
  HWND WaitForWindow(const char* className = "Ext_zelta.Form1") const {
    return testing_support::WaitForWindow(info.dwProcessId, className, nullptr,
                                          [this] { return !Running(); });
  }

  PROCESS_INFORMATION info = {};
};

HWND WaitForMessageBox(const Process& process) { return process.WaitForWindow("#32770"); }
// The text a message box shows is that of its static control 0xFFFF.
std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }
void ClickOk(HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

// Clicks a button of the companion without waiting for the click's action
// (which may open a message box).
void Click(HWND companion, int id) { PostMessageA(GetDlgItem(companion, id), BM_CLICK, 0, 0); }

// The fake host, started and waited for until its object is registered. Its log
// in the build folder has a line for each event the companion causes.
struct FakeHost {
  explicit FakeHost(const std::string& options = "")
      : process("ZELTA_FAKE_HOST_EXE", "--log fake-host.log " + options) {
    EXPECT_TRUE(WaitForLines([](const Lines& lines) { return !lines.empty(); }))
        << "the fake host did not come up";
    window = FindWindowW(kFakeHostWindowClass, nullptr);
  }
  ~FakeHost() {
    Close();
    DeleteFileA("fake-host.log");
  }

  Lines All() const {
    Lines lines;
    std::ifstream file("fake-host.log");
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  // The macro lines ("macro ..." and "rejected ..."), in order.
  Lines Macros() const {
    Lines macros;
    for (const std::string& line : All())
      if (line.rfind("macro ", 0) == 0 || line.rfind("rejected ", 0) == 0) macros.push_back(line);
    return macros;
  }
  bool WaitForLines(const std::function<bool(const Lines&)>& done) const {
    return testing_support::WaitUntil([&] { return done(All()); }, kWaitLimit);
  }
  bool WaitForMacros(size_t count) const {
    return WaitForLines([&](const Lines&) { return Macros().size() >= count; });
  }

  // Ends the host the way its user would: its window is closed.
  void Close() {
    if (!process.Running()) return;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process.WaitForEnd(kWaitLimit)) << "the fake host did not end";
  }

  Process process;  // Terminate() ends it as a crash would: its object stays in the table
  HWND window = nullptr;
};

TEST(CompanionProgram, WithoutHostShowsTheMessageAndNoWindow) {
  Process companion("ZELTA_COMPANION_EXE");
  HWND box = WaitForMessageBox(companion);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(MessageBoxText(box), "Orvo2 is not loaded");
  HWND window = FindWindowA("Ext_zelta.Form1", nullptr);
  EXPECT_TRUE(window == nullptr || !IsWindowVisible(window)) << "the window must not be shown";
  ClickOk(box);
  EXPECT_TRUE(companion.WaitForEnd(kWaitLimit)) << "the companion must end after OK";
}

TEST(CompanionProgram, RunsOnceOnTopSwitchesTheHostAndGivesItTheForeground) {
  testing_support::LetWineDrawFrames("Ext_zelta.exe");
  FakeHost host;
  Process companion("ZELTA_COMPANION_EXE");
  HWND window = companion.WaitForWindow();
  ASSERT_NE(window, nullptr) << "the companion's window did not appear";
  ASSERT_TRUE(host.WaitForMacros(1));

  EXPECT_EQ(WindowText(window), "ZELTA TROPHY ");
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the window must be topmost";
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);

  // Where the layout puts the client area and the CW button at the display's resolution.
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const companion::FormRect client = companion::PixelRect(companion::kFormClientTwips, dpiX, dpiY);
  const companion::FormRect cw = companion::PixelRect(companion::kFormButtons[0].twips, dpiX, dpiY);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  EXPECT_EQ(origin.x, client.left);
  EXPECT_EQ(origin.y, client.top);
  // The window reaches the display a moment after it is shown: capture until
  // the form and a button (clear of its edge and text) show their colours.
  testing_support::Capture shot;
  unsigned form = 0, face = 0;
  for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitLimit; Sleep(100)) {
    shot = testing_support::CaptureWindow(window, "companion.bmp");
    if (cw.left + 4 >= shot.clientWidth || cw.top + 4 >= shot.clientHeight) break;
    form = shot.clientPixels[2 * shot.clientWidth + 2];
    face = shot.clientPixels[(cw.top + 4) * shot.clientWidth + cw.left + 4];
    if (form == 0xC0C0C0u && face == 0xE0E0E0u) break;
  }
  EXPECT_EQ(shot.clientWidth, client.width);
  EXPECT_EQ(shot.clientHeight, client.height);
  EXPECT_EQ(form, 0xC0C0C0u) << "form background";
  EXPECT_EQ(face, 0xE0E0E0u) << "button background";

  Process second("ZELTA_COMPANION_EXE");
  ASSERT_TRUE(second.WaitForEnd(kWaitLimit)) << "the second copy keeps running";
  EXPECT_THAT(host.Macros(), ElementsAre("macro <MODE:CW>")) << "one start, one macro";

  // Take the foreground away from the host, to see it come back after a click.
  SetForegroundWindow(window);
  ASSERT_TRUE(host.WaitForLines([](const Lines& lines) { return lines.back() == "background"; }))
      << "the host kept the foreground";
  const size_t before = host.All().size();
  Click(window, companion::kSsbButtonId);
  ASSERT_TRUE(host.WaitForLines([before](const Lines& lines) {
    return std::find(lines.begin() + before, lines.end(), "foreground") != lines.end();
  })) << "the host did not get the foreground";
  const Lines lines = host.All();
  EXPECT_THAT(Lines(lines.begin() + before, lines.end()),
              ElementsAre("macro <MODE:SSB>", "foreground"));
  EXPECT_EQ(GetForegroundWindow(), host.window);
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "still above the host";

  // Closing the window ends the program; the host keeps its mode.
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(companion.WaitForEnd(kWaitLimit));
  EXPECT_EQ(host.Macros().size(), 2u);
}

TEST(CompanionProgram, HostErrorIsShownTheCompanionGoesOnAndEndsWithTheHost) {
  FakeHost host("--reject <MODE:SSB>");
  Process companion("ZELTA_COMPANION_EXE");
  HWND window = companion.WaitForWindow();
  ASSERT_NE(window, nullptr);

  Click(window, companion::kSsbButtonId);
  HWND box = WaitForMessageBox(companion);
  ASSERT_NE(box, nullptr) << "the host's error was not shown";
  EXPECT_EQ(MessageBoxText(box), std::string("Orvo2 could not switch the mode:\n\n") +
                                    kFakeHostErrorDescription + "\n\nError code: 0x80040201");
  ClickOk(box);

  Click(window, companion::kCwButtonId);
  ASSERT_TRUE(host.WaitForMacros(3));
  Click(window, companion::kSsbButtonId);
  ASSERT_TRUE(host.WaitForMacros(4));
  EXPECT_THAT(host.Macros(), ElementsAre("macro <MODE:CW>", "rejected <MODE:SSB>",
                                         "macro <MODE:CW>", "rejected <MODE:SSB>"));
  ASSERT_NE(WaitForMessageBox(companion), nullptr);

  // The operator has not answered the box yet when the host goes.
  host.Close();
  EXPECT_TRUE(companion.WaitForEnd(kWaitLimit)) << "the open box kept the companion alive";
}

TEST(CompanionProgram, EndsSilentlyWhenTheHostEndsOrDies) {
  for (const bool dies : {false, true}) {
    FakeHost host;
    Process companion("ZELTA_COMPANION_EXE");
    ASSERT_NE(companion.WaitForWindow(), nullptr);
    ASSERT_TRUE(host.WaitForMacros(1));

    // Killed, the host leaves its object in the table.
    if (dies) host.process.Terminate(); else host.Close();
    // A message box would hold the process; ending in time means none was shown.
    EXPECT_TRUE(companion.WaitForEnd(kWaitLimit)) << "the companion outlived the host";
    EXPECT_EQ(companion.ExitCode(), 0u);
  }
}

}  // namespace
