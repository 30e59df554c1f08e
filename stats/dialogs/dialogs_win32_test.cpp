// The real dialogs on a (virtual) display. Each test shows a dialog on the test's
// own thread, as the host does, and drives it from a second thread through
// window messages: it finds the dialog by its caption, reads and sets the texts
// of its controls and presses its buttons. The driver only records what it sees;
// the checks run on the test's thread once the dialog has closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
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
using testing_support::WriteFileBytes;

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

void SetText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool Checked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int ComboSelection(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

// Runs `show` on this thread while `drive` works on the dialog with `caption`
// from a thread of its own. `drive` gets null when no dialog appeared; when it
// leaves the dialog open, the dialog is cancelled so that the test ends.
// Returns false when the dialog did not appear or had to be cancelled.
bool WithDialog(const wchar_t* caption, const std::function<void(HWND)>& drive,
                const std::function<void()>& show) {
  std::atomic<bool> appeared{false};
  std::atomic<bool> leftOpen{false};
  std::thread driver([&] {
    // Other test programs may show the same dialog in the same Wine session.
    HWND dialog = testing_support::WaitForWindow(GetCurrentProcessId(), "#32770", caption);
    appeared = dialog != nullptr;
    if (dialog == nullptr) return;
    drive(dialog);
    if (!WaitUntil([&] { return !IsWindow(dialog); })) {
      leftOpen = true;
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  });
  show();
  driver.join();
  return appeared && !leftOpen;
}

bool EnsurePluginsFolder() { return std::filesystem::create_directory("Plugins"); }

/*===-- Emission setup dialog -------------------------------------------------===*/

TEST(EmissionSetupDialog, OpensUncheckedAndOnlyOkStoresTheLastClickedButton) {
  ScopedWorkDir dir;
  EnsurePluginsFolder();
  PluginState state;
  state.emissionChoice = 1;  // the last confirmed choice was CW

  bool anyChecked = true;
  bool cwCheckedAfterClick = false;
  ASSERT_TRUE(WithDialog(
      kEmissionCaption,
      [&](HWND dialog) {
        anyChecked = Checked(dialog, IDC_CW) || Checked(dialog, IDC_SSB);
        testing_support::CaptureWindow(dialog, kStartFolder / "emission_dialog.bmp");
        Click(dialog, IDC_CW);
        cwCheckedAfterClick = Checked(dialog, IDC_CW);
        Click(dialog, IDC_SSB);
        Click(dialog, IDOK);
      },
      [&] { SetupSet(state); }))
      << "the emission dialog did not appear or did not close; it is found by its caption, "
         "which must come out of the template whole whatever the ANSI code page ("
      << GetACP() << ")";
  EXPECT_FALSE(anyChecked) << "no radio button may be checked when the dialog opens";
  EXPECT_TRUE(cwCheckedAfterClick);
  EXPECT_EQ(state.emissionChoice, 0) << "CW, then SSB, then OK stores SSB";
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nMode=0\r\n");

  // One after the other on the same state and file.
  const struct {
    const char* journey;
    std::function<void(HWND)> drive;
    const char* fileBefore;  // null: left as it is
    int choice;
    const char* fileAfter;
  } journeys[] = {
      {"CW, Cancel",
       [](HWND d) { Click(d, IDC_CW); Click(d, IDCANCEL); }, nullptr, 0,
       "[Settings]\r\nMode=0\r\n"},
      {"CW, close box",
       [](HWND d) { Click(d, IDC_CW); SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); },
       "[Settings]\r\nMode=0\r\nOther=x\r\n", 0, "[Settings]\r\nMode=0\r\nOther=x\r\n"},
      // A sibling plug-in's key stays as it is.
      {"CW, OK", [](HWND d) { Click(d, IDC_CW); Click(d, IDOK); }, nullptr, 1,
       "[Settings]\r\nMode=1\r\nOther=x\r\n"},
      // OK without a click writes the choice it started from.
      {"OK", [](HWND d) { Click(d, IDOK); }, "[Settings]\r\nMode=0\r\n", 1,
       "[Settings]\r\nMode=1\r\n"},
  };
  for (const auto& j : journeys) {
    if (j.fileBefore != nullptr) WriteFileBytes("Plugins/QOLEB.ini", j.fileBefore);
    ASSERT_TRUE(WithDialog(kEmissionCaption, j.drive, [&] { SetupSet(state); })) << j.journey;
    EXPECT_EQ(state.emissionChoice, j.choice) << j.journey;
    EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), j.fileAfter) << j.journey;
  }
}

// A window of the test's thread, standing in for the host's main window.
std::atomic<DWORD> g_deliveredOnThread{0};
std::atomic<int> g_delivered{0};

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    g_deliveredOnThread = GetCurrentThreadId();
    ++g_delivered;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(EmissionSetupDialog, CallingThreadKeepsDeliveringItsMessages) {
  ScopedWorkDir dir;
  EnsurePluginsFolder();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "ZeltaTestHostWindow";
  RegisterClassA(&windowClass);
  HWND host = CreateWindowA("ZeltaTestHostWindow", "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  const DWORD testThread = GetCurrentThreadId();
  g_delivered = 0;
  g_deliveredOnThread = 0;

  PluginState state;
  int deliveredWhileOpen = 0;
  bool quitPosted = false;
  ASSERT_TRUE(WithDialog(
      kEmissionCaption,
      [&](HWND dialog) {
        PostMessageA(host, WM_APP, 0, 0);
        WaitUntil([] { return g_delivered == 1; });
        // A request to quit, then one more message: once that one has been
        // delivered, the pump has taken the quit request from the queue too.
        quitPosted = PostThreadMessageA(testThread, WM_QUIT, 42, 0) != 0;
        PostMessageA(host, WM_APP, 0, 0);
        WaitUntil([] { return g_delivered == 2; });
        deliveredWhileOpen = g_delivered;
        Click(dialog, IDCANCEL);
      },
      [&] { SetupSet(state); }));

  EXPECT_EQ(deliveredWhileOpen, 2) << "messages posted to the host's window while the dialog "
                                      "is open must be delivered";
  EXPECT_EQ(g_deliveredOnThread.load(), testThread) << "on the host's own thread";
  ASSERT_TRUE(quitPosted);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "the request to quit must survive the dialog";
  EXPECT_EQ(msg.wParam, 42u);
  DestroyWindow(host);
}

/*===-- Cabrillo header dialog ----------------------------------------------===*/

// What is saved, and that CLAIMED comes from the settings file only, the terminal
// form pins from the same portable code; here, that each control shows and
// takes back its own field.
const int kEditIds[] = {IDC_SOAPBOX, IDC_ADDRESS, IDC_EMAIL,   IDC_CLUB,    IDC_OPERATORS,
                        IDC_NAME,    IDC_CLAIMED, IDC_CONTEST, IDC_CALLSIGN, IDC_LOCATION};
const int kComboIds[] = {IDC_CATEGORY_OPERATOR, IDC_CATEGORY_BAND, IDC_CATEGORY_MODE,
                         IDC_CATEGORY_POWER};

TEST(HeaderDialog, ControlsShowAndTakeTheirFieldsAndCancelTakesNothing) {
  ScopedWorkDir dir;
  EnsurePluginsFolder();
  EntrantDetails details;

  std::map<int, std::string> texts;
  std::map<int, int> selections;
  std::vector<int> tabOrder;
  int result = -1;
  ASSERT_TRUE(WithDialog(
      kHeaderCaption,
      [&](HWND dialog) {
        for (int id : kEditIds) texts[id] = ControlText(dialog, id);
        for (int id : kComboIds) {
          texts[id] = ControlText(dialog, id);
          selections[id] = ComboSelection(dialog, id);
        }
        HWND control = GetDlgItem(dialog, IDC_SOAPBOX);
        for (int i = 0; i < 6 && control != nullptr; ++i) {
          control = GetNextDlgTabItem(dialog, control, FALSE);
          tabOrder.push_back(GetDlgCtrlID(control));
        }
        testing_support::CaptureWindow(dialog, kStartFolder / "header_dialog.bmp");
        SetText(dialog, IDC_CLAIMED, "999999");
        SetText(dialog, IDC_ADDRESS, "12 Main St\r\nTown");
        SetText(dialog, IDC_CALLSIGN, "Q1ABC/P");
        SendMessageA(GetDlgItem(dialog, IDC_CATEGORY_OPERATOR), CB_SETCURSEL, 4, 0);
        SetText(dialog, IDC_CATEGORY_MODE, "CHECKLOG");  // typed, not in the list
        Click(dialog, IDOK);
      },
      [&] { result = EditEntrantDetails(details, "Q1ABC"); }))
      << "the header dialog did not appear or did not close";

  for (int id : kEditIds) {
    const bool call = id == IDC_CALLSIGN || id == IDC_OPERATORS;
    EXPECT_EQ(texts[id], call ? "Q1ABC" : id == IDC_CONTEST ? "ZELTA-CUP" : "") << "control " << id;
  }
  // The four default categories are the first items.
  for (int id : kComboIds) EXPECT_EQ(selections[id], 0) << "control " << id;
  EXPECT_EQ(texts[IDC_CATEGORY_MODE], "SSB");
  // Tab visits only the controls with a tab stop, in the template's order.
  EXPECT_EQ(tabOrder, (std::vector<int>{IDC_CATEGORY_OPERATOR, IDC_CATEGORY_BAND,
                                        IDC_CATEGORY_MODE, IDC_CATEGORY_POWER, IDC_LOCATION,
                                        IDC_SOAPBOX}));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(details.claimed, "") << "CLAIMED is never taken from the dialog";
  EXPECT_EQ(details.address, "12 Main St\r\nTown");
  EXPECT_EQ(details.callsign, "Q1ABC/P");
  EXPECT_EQ(details.fileStem, "Q1ABC");
  EXPECT_EQ(details.categoryOperator, "CONFERENC");
  EXPECT_EQ(details.categoryMode, "CHECKLOG");

  // The next run shows the address over two lines again and the categories at
  // their defaults; Cancel takes nothing.
  std::string address;
  int addressLines = 0;
  std::string mode;
  ASSERT_TRUE(WithDialog(
      kHeaderCaption,
      [&](HWND dialog) {
        address = ControlText(dialog, IDC_ADDRESS);
        addressLines =
            static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_ADDRESS), EM_GETLINECOUNT, 0, 0));
        mode = ControlText(dialog, IDC_CATEGORY_MODE);
        SetText(dialog, IDC_NAME, "Petr");
        Click(dialog, IDCANCEL);
      },
      [&] { result = EditEntrantDetails(details, "Q1ABC"); }));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(address, "12 Main St\r\nTown");
  EXPECT_EQ(addressLines, 2);
  EXPECT_EQ(mode, "SSB");
  EXPECT_EQ(details.name, "") << "Cancel takes nothing";
}

TEST(ModalDialog, ComboShowsTheFirstItemThatBeginsWithItsTextOrTheTextItself) {
  platform::DialogForm form;
  form.templateId = IDD_HEADER;
  const std::vector<std::pair<int, const char*>> combos = {
      {IDC_CATEGORY_OPERATOR, "multi"}, {IDC_CATEGORY_BAND, "CHECKLOG"},
      {IDC_CATEGORY_MODE, ""}, {IDC_CATEGORY_POWER, "low"}};
  for (const auto& [id, text] : combos) {
    platform::DialogField field;
    field.kind = platform::FieldKind::kCombo;
    field.controlId = id;
    field.text = text;
    field.items = {"SINGLE-OP", "MULTI-OP", "ALL", "LOW"};
    form.fields.push_back(field);
  }
  std::map<int, int> selections;
  std::map<int, std::string> texts;
  int result = -1;
  ASSERT_TRUE(WithDialog(
      kHeaderCaption,
      [&](HWND dialog) {
        for (const auto& combo : combos) {
          selections[combo.first] = ComboSelection(dialog, combo.first);
          texts[combo.first] = ControlText(dialog, combo.first);
        }
        Click(dialog, IDOK);
      },
      [&] { result = platform::RunModalDialog(form); }));

  EXPECT_EQ(selections[IDC_CATEGORY_OPERATOR], 1);
  EXPECT_EQ(selections[IDC_CATEGORY_BAND], CB_ERR);
  EXPECT_EQ(texts[IDC_CATEGORY_BAND], "CHECKLOG");
  EXPECT_EQ(selections[IDC_CATEGORY_MODE], 0) << "an empty text begins every item";
  EXPECT_EQ(selections[IDC_CATEGORY_POWER], 3);
  // OK takes back what the controls show.
  ASSERT_EQ(result, platform::kDialogOk);
  EXPECT_EQ(form.fields[0].text, "MULTI-OP");
  EXPECT_EQ(form.fields[1].text, "CHECKLOG");
  EXPECT_EQ(form.fields[2].text, "SINGLE-OP");
  EXPECT_EQ(form.fields[3].text, "LOW");
}

/*===-- Failure ----------------------------------------------------------------===*/

TEST(ModalDialog, PluginCarriesBothTemplates) {
  const std::string dll = (kStartFolder / STATS_DLL_FROM_TEST).string();
  HMODULE plugin = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr) << dll;
  const LPCSTR dialogType = MAKEINTRESOURCEA(5);  // RT_DIALOG
  EXPECT_NE(FindResourceExA(plugin, dialogType, MAKEINTRESOURCEA(IDD_HEADER),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);
  EXPECT_NE(FindResourceExA(plugin, dialogType, MAKEINTRESOURCEA(IDD_EMISSION_SETUP),
                            MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)),
            nullptr);
  FreeLibrary(plugin);
}

TEST(ModalDialog, MissingTemplateCannotBeShown) {
  platform::DialogForm form;
  form.templateId = 999;
  EXPECT_EQ(platform::RunModalDialog(form), platform::kDialogNotShown);
}

}  // namespace

}  // namespace stats
