// The real dialogs on a (virtual) display, shown on the test's thread as the host
// does and driven from a second thread through window messages; the driver only
// records what it sees. What is saved the terminal test pins from the same code.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/modal_dialog.h"
#include "stats/dialogs/dialog_ids.h"
#include "stats/dialogs/emission_setup_dialog.h"
#include "stats/dialogs/header_dialog.h"
#include "stats/state/plugin_state.h"
#include "tests/support/test_support.h"
#include "tests/support/win32_windows.h"

namespace stats {

namespace {

using testing_support::ControlText;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WaitUntil;

// The folder the test program started in: the build folder, where the
// screenshots go for a person to look at.
const std::filesystem::path kStartFolder = std::filesystem::current_path();

// Before the first window exists, when Wine's display driver reads the setting.
const bool kOwnFrames = [] {
  testing_support::LetWineDrawFrames("dialogs_win32_test.exe");
  return true;
}();

// "Вид излучения"
const wchar_t kEmissionCaption[] =
    L"\u0412\u0438\u0434 \u0438\u0437\u043b\u0443\u0447\u0435\u043d\u0438\u044f";
const wchar_t kHeaderCaption[] = L"ZELTA TROPHY";

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, const char* text = nullptr) {
  return SendMessageA(GetDlgItem(dialog, id), message, wParam, reinterpret_cast<LPARAM>(text));
}

// Runs `show` on this thread while `drive` works on the dialog with `caption`
// from a thread of its own; a dialog `drive` leaves open is cancelled. Returns
// false when the dialog did not appear or had to be cancelled.
bool WithDialog(const wchar_t* caption, const std::function<void(HWND)>& drive,
                const std::function<void()>& show) {
  std::atomic<bool> done{false};
  std::thread driver([&] {
    // Other test programs may show the same dialog in the same Wine session.
    HWND dialog = testing_support::WaitForWindow(GetCurrentProcessId(), "#32770", caption);
    if (dialog == nullptr) return;
    drive(dialog);
    done = WaitUntil([&] { return !IsWindow(dialog); });
    if (!done) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  show();
  driver.join();
  return done;
}

// A window of the test's thread, standing in for the host's main window.
std::atomic<DWORD> g_deliveredOnThread{0};
std::atomic<int> g_delivered{0};

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  g_deliveredOnThread = GetCurrentThreadId();
  ++g_delivered;
  return 0;
}

TEST(EmissionSetupDialog, OnlyOkStoresTheLastClickedButtonWhileTheHostThreadRuns) {
  ScopedWorkDir dir;
  const WNDCLASSA windowClass = {.lpfnWndProc = HostWindowProc,
                                 .hInstance = GetModuleHandleA(nullptr),
                                 .lpszClassName = "ZeltaTestHostWindow"};
  RegisterClassA(&windowClass);
  HWND host = CreateWindowA("ZeltaTestHostWindow", "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                            nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(host, nullptr);
  const DWORD testThread = GetCurrentThreadId();
  PluginState state;
  state.emissionChoice = 1;  // the last confirmed choice was CW
  const struct {
    std::vector<int> clicks;
    int choice;
    const char* mode;  // x: not written
  } journeys[] = {
      {{IDOK}, 1, "1"},  // OK without a click writes the choice it started from
      {{IDC_CW, IDC_SSB, IDOK}, 0, "0"},
      {{IDC_CW, IDCANCEL}, 0, "x"},
  };
  for (const auto& j : journeys) {
    const std::string journey = ::testing::PrintToString(j.clicks);
    testing_support::WriteFileBytes("Plugins/QOLEB.ini", "[Settings]\r\nMode=x\r\n");
    const int delivered = g_delivered;
    bool anyChecked = true;
    bool quitPosted = false;
    ASSERT_TRUE(WithDialog(
        kEmissionCaption,
        [&](HWND dialog) {
          anyChecked = Send(dialog, IDC_CW, BM_GETCHECK) || Send(dialog, IDC_SSB, BM_GETCHECK);
          testing_support::CaptureWindow(dialog, kStartFolder / "emission_dialog.bmp");
          // A request to quit, then a message to the host's window: once that has
          // been delivered, the pump has taken the quit request from the queue too.
          quitPosted = PostThreadMessageA(testThread, WM_QUIT, 42, 0) != 0;
          PostMessageA(host, WM_APP, 0, 0);
          WaitUntil([&] { return g_delivered > delivered; });
          for (int id : j.clicks) Send(dialog, id, BM_CLICK);
        },
        [&] { SetupSet(state); }))
        << journey << ": the emission dialog did not appear or did not close; it is found by "
        << "its caption, which must come out of the template whole whatever the ANSI code page ("
        << GetACP() << ")";
    EXPECT_FALSE(anyChecked) << journey << ": no radio button is checked when the dialog opens";
    EXPECT_EQ(state.emissionChoice, j.choice) << journey;
    EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"),
              std::string("[Settings]\r\nMode=") + j.mode + "\r\n")
        << journey;
    EXPECT_EQ(g_delivered.load(), delivered + 1) << "the host's messages are delivered meanwhile";
    EXPECT_EQ(g_deliveredOnThread.load(), testThread) << "on the host's own thread";
    MSG msg;
    ASSERT_TRUE(quitPosted && PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the request to quit must survive the dialog";
    EXPECT_EQ(msg.wParam, 42u);
  }
  DestroyWindow(host);
}

TEST(HeaderDialog, EachControlShowsItsOwnFieldAndOkTakesTheTexts) {
  ScopedWorkDir dir;
  testing_support::WriteFileBytes(
      "Plugins/QOLEB.ini",
      "[Settings]\r\nOperators=Q1ABC Q1XYZ\r\nName=Ivan\r\nAddress=12 Main St<CR><LF>Town\r\n"
      "Claimed=1234\r\nLocation=RU-MOW\r\nEmail=a@b.org\r\nClub=Radio Club\r\nSoapBox=73\r\n");
  // What each control shows; the categories at their first items.
  const std::vector<std::pair<int, std::string>> expected = {
      {IDC_SOAPBOX, "73"},           {IDC_ADDRESS, "12 Main St\r\nTown"},
      {IDC_EMAIL, "a@b.org"},        {IDC_CLUB, "Radio Club"},
      {IDC_OPERATORS, "Q1ABC Q1XYZ"}, {IDC_NAME, "Ivan"},
      {IDC_CLAIMED, "1234"},         {IDC_CONTEST, "ZELTA-CUP"},
      {IDC_CALLSIGN, "Q1ABC"},       {IDC_LOCATION, "RU-MOW"},
      {IDC_CATEGORY_OPERATOR, "SINGLE-OP 0"}, {IDC_CATEGORY_BAND, "ALL 0"},
      {IDC_CATEGORY_MODE, "SSB 0"},  {IDC_CATEGORY_POWER, "HIGH 0"}};
  std::vector<std::pair<int, std::string>> shown;
  std::vector<int> tabOrder;
  LRESULT addressLines = 0;
  EntrantDetails details;
  int result = -1;
  ASSERT_TRUE(WithDialog(
      kHeaderCaption,
      [&](HWND dialog) {
        for (const auto& [id, text] : expected) {
          shown.emplace_back(id, ControlText(dialog, id));
          if (id >= IDC_CATEGORY_OPERATOR)  // with the item selected
            shown.back().second += " " + std::to_string(Send(dialog, id, CB_GETCURSEL));
        }
        addressLines = Send(dialog, IDC_ADDRESS, EM_GETLINECOUNT);
        HWND control = GetDlgItem(dialog, IDC_SOAPBOX);
        for (int i = 0; i < 6 && control != nullptr; ++i) {
          control = GetNextDlgTabItem(dialog, control, FALSE);
          tabOrder.push_back(GetDlgCtrlID(control));
        }
        testing_support::CaptureWindow(dialog, kStartFolder / "header_dialog.bmp");
        Send(dialog, IDC_ADDRESS, WM_SETTEXT, 0, "1 Road\r\nCity");
        Send(dialog, IDC_CATEGORY_MODE, WM_SETTEXT, 0, "CHECKLOG");  // typed, not in the list
        Send(dialog, IDOK, BM_CLICK);
      },
      [&] { result = EditEntrantDetails(details, "Q1ABC"); }))
      << "the header dialog did not appear or did not close";

  EXPECT_EQ(shown, expected);
  EXPECT_EQ(addressLines, 2);
  // Tab visits only the controls with a tab stop, in the template's order.
  EXPECT_EQ(tabOrder, (std::vector<int>{IDC_CATEGORY_OPERATOR, IDC_CATEGORY_BAND,
                                        IDC_CATEGORY_MODE, IDC_CATEGORY_POWER, IDC_LOCATION,
                                        IDC_SOAPBOX}));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(details.address, "1 Road\r\nCity");
  EXPECT_EQ(details.categoryMode, "CHECKLOG");
  EXPECT_EQ(details.name, "Ivan");
}

TEST(ModalDialog, PluginCarriesBothTemplatesAndAMissingOneCannotBeShown) {
  const std::string dll = (kStartFolder / STATS_DLL_FROM_TEST).string();
  HMODULE plugin = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr) << dll;
  EXPECT_NE(FindResourceExA(plugin, RT_DIALOG, MAKEINTRESOURCEA(IDD_HEADER),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);
  EXPECT_NE(FindResourceExA(plugin, RT_DIALOG, MAKEINTRESOURCEA(IDD_EMISSION_SETUP),
                            MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)),
            nullptr);
  FreeLibrary(plugin);

  platform::DialogForm form;
  form.templateId = 999;
  EXPECT_EQ(platform::RunModalDialog(form), platform::kDialogNotShown);
}

}  // namespace

}  // namespace stats
