// The dialogs as terminal forms: standard input and standard error are put on a
// pseudo-terminal whose keyboard has already typed the answers, and what the
// form writes there is read back.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/modal_dialog.h"
#include "stats/dialogs/emission_setup_dialog.h"
#include "stats/dialogs/header_dialog.h"
#include "stats/state/plugin_state.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

// Runs `show` with standard input and standard error on a fresh pseudo-terminal
// that has `typed` waiting as keyboard input; returns what appeared on it. The
// input always ends with an end-of-input key, so a form that asks for more than
// the test typed sees Cancel instead of waiting for ever.
// With `screenOnTerminal` false, standard error goes to /dev/null instead.
std::string OnTerminal(const std::string& typed, const std::function<void()>& show,
                       bool screenOnTerminal = true) {
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return std::string();
  }
  termios mode;
  tcgetattr(slave, &mode);
  // The screen shows the form's own text only, with its line ends as written.
  mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tcsetattr(slave, TCSANOW, &mode);

  std::string screen;
  std::thread reader([&] {
    char buffer[4096];
    ssize_t n;
    // Ends with an error once every copy of the terminal's other end is closed.
    while ((n = read(master, buffer, sizeof buffer)) > 0) screen.append(buffer, n);
  });
  const std::string keys = typed + "\x04";  // Ctrl-D at the start of a line
  EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));

  const int savedInput = dup(STDIN_FILENO);
  const int savedError = dup(STDERR_FILENO);
  dup2(slave, STDIN_FILENO);
  const int nothing = open("/dev/null", O_WRONLY);
  dup2(screenOnTerminal ? slave : nothing, STDERR_FILENO);
  close(nothing);
  show();
  dup2(savedInput, STDIN_FILENO);
  dup2(savedError, STDERR_FILENO);
  close(savedInput);
  close(savedError);
  close(slave);
  reader.join();
  close(master);
  return screen;
}

// Runs `show` with standard input that is no terminal.
void WithoutTerminal(const std::function<void()>& show) {
  const int savedInput = dup(STDIN_FILENO);
  const int nothing = open("/dev/null", O_RDONLY);
  dup2(nothing, STDIN_FILENO);
  show();
  dup2(savedInput, STDIN_FILENO);
  close(nothing);
  close(savedInput);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Answers that keep all fourteen values of the header form.
const std::string kKeepAll(14, '\n');

// What the first OK writes: the eight keys, empty values included, no "Claimed".
const char kFirstUseFile[] =
    "[Settings]\r\nOperators=Q1ABC\r\nName=\r\nAddress=\r\nLocation=\r\n"
    "Contest=ZELTA-CUP\r\nEmail=\r\nClub=\r\nSoapBox=\r\n";

/*===-- Combo boxes --------------------------------------------------------===*/

TEST(ComboFill, SelectsTheFirstItemThatBeginsWithTheText) {
  const std::vector<std::string> items = {"SINGLE-OP", "SINGLE-OP-18", "MULTI-OP", "MULTI-OP-18"};
  EXPECT_EQ(platform::FirstItemStartingWith(items, "SINGLE-OP"), 0);
  // The first match wins, even when a later item is equal to the text.
  EXPECT_EQ(platform::FirstItemStartingWith({"MULTI-OP-18", "MULTI-OP"}, "MULTI-OP"), 0);
  // A longer text must match whole.
  EXPECT_EQ(platform::FirstItemStartingWith(items, "single-op-18"), 1);
  // Letters compare without regard to case; a beginning is enough.
  EXPECT_EQ(platform::FirstItemStartingWith(items, "multi"), 2);
  // An empty text begins every item.
  EXPECT_EQ(platform::FirstItemStartingWith(items, ""), 0);
  // No item: the text goes into the edit field.
  EXPECT_EQ(platform::FirstItemStartingWith(items, "CHECKLOG"), -1);
  EXPECT_EQ(platform::FirstItemStartingWith(items, "SINGLE-OP-180"), -1);
  EXPECT_EQ(platform::FirstItemStartingWith({}, ""), -1);
}

/*===-- Cabrillo header form -------------------------------------------------===*/

TEST(HeaderTerminalForm, FirstUseShowsTheLoadedDetailsAndOkSavesTheEightKeys) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Plugins");
  EntrantDetails details;
  int result = -1;
  const std::string screen =
      OnTerminal(kKeepAll + "\n", [&] { result = EditEntrantDetails(details, "Q1ABC"); });

  EXPECT_EQ(result, 1);
  for (const char* shown :
       {"ZELTA TROPHY", "CALLSIGN [Q1ABC]", "OPERATORS [Q1ABC]", "CONTEST [ZELTA-CUP]",
        "CLAIMED []", "CATEGORY-BAND [ALL]\n  1 ALL\n  2 160M-80M-40M\n  3 20M-15M-10M\n",
        "CATEGORY-MODE [SSB]\n  1 SSB\n  2 CW\n  3 MIX\n",
        "CATEGORY-POWER [HIGH]\n  1 HIGH\n  2 LOW\n  3 QRP\n",
        "CATEGORY-OPERATOR [SINGLE-OP]\n  1 SINGLE-OP\n  2 SINGLE-OP-18\n"
        "  3 MULTI-OP\n  4 MULTI-OP-18\n  5 CONFERENC\n"}) {
    EXPECT_TRUE(Contains(screen, shown)) << shown << " in\n" << screen;
  }
  // The fields come in the template's order.
  EXPECT_LT(screen.find("SOAPBOX"), screen.find("ADDRESS"));
  EXPECT_LT(screen.find("CALLSIGN"), screen.find("CATEGORY-OPERATOR"));
  EXPECT_LT(screen.find("CATEGORY-POWER"), screen.find("LOCATION"));
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), kFirstUseFile);
}

TEST(HeaderTerminalForm, OkTakesEveryAnswerButClaimed) {
  ScopedWorkDir dir;
  WriteFileBytes("Plugins/QOLEB.ini",
                 "[Settings]\r\nName=Ivan\r\nAddress=12 Main St<CR><LF>Town\r\nClaimed=1234\r\n");
  EntrantDetails details;
  const std::string typed =
      "Nice contest\n73\n.\n"  // SOAPBOX over two lines
      "\n"                     // ADDRESS kept
      "q1abc@example.org\n"    // E-MAIL
      "\n"                     // CLUB kept (empty)
      "Q1ABC Q1XYZ\n"          // OPERATORS
      ".\n"                    // NAME emptied
      "999999\n"               // CLAIMED: shown and typed, never taken
      "\n"                     // CONTEST
      "Q1ABC/P\n"              // CALLSIGN
      "4\n"                    // CATEGORY-OPERATOR by number: MULTI-OP-18
      "20m\n"                  // CATEGORY-BAND as free text
      "CHECKLOG\n"             // CATEGORY-MODE outside the list
      "\n"                     // CATEGORY-POWER kept
      "RU-MOW\n"               // LOCATION
      "ok\n";
  int result = -1;
  const std::string screen =
      OnTerminal(typed, [&] { result = EditEntrantDetails(details, "Q1ABC"); });

  EXPECT_EQ(result, 1);
  EXPECT_TRUE(Contains(screen, "ADDRESS:\n  | 12 Main St\n  | Town\n")) << screen;
  EXPECT_EQ(details.soapbox, "Nice contest\r\n73");
  EXPECT_EQ(details.address, "12 Main St\r\nTown");
  EXPECT_EQ(details.email, "q1abc@example.org");
  EXPECT_EQ(details.operators, "Q1ABC Q1XYZ");
  EXPECT_EQ(details.name, "");
  EXPECT_EQ(details.claimed, "1234") << "CLAIMED comes from the settings file only";
  EXPECT_EQ(details.callsign, "Q1ABC/P");
  EXPECT_EQ(details.fileStem, "Q1ABC") << "the log keeps the name of the run's own call";
  EXPECT_EQ(details.categoryOperator, "MULTI-OP-18");
  EXPECT_EQ(details.categoryBand, "20m");
  EXPECT_EQ(details.categoryMode, "CHECKLOG");
  EXPECT_EQ(details.categoryPower, "HIGH");
  EXPECT_EQ(details.location, "RU-MOW");
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"),
            "[Settings]\r\nName=\r\nAddress=12 Main St<CR><LF>Town\r\nClaimed=1234\r\n"
            "Operators=Q1ABC Q1XYZ\r\nLocation=RU-MOW\r\nContest=ZELTA-CUP\r\n"
            "Email=q1abc@example.org\r\nClub=\r\nSoapBox=Nice contest<CR><LF>73\r\n");
}

TEST(HeaderTerminalForm, CancelEndOfInputOrNoTerminalKeepTheLoadedDetails) {
  ScopedWorkDir dir;
  const std::string stored = "[Settings]\r\nName=Ivan\r\nClaimed=1234\r\n";
  WriteFileBytes("Plugins/QOLEB.ini", stored);
  EntrantDetails details;
  const auto expectLoaded = [&](const char* how) {
    EXPECT_EQ(details.name, "Ivan") << how;
    EXPECT_EQ(details.operators, "Q1ABC") << how;
    EXPECT_EQ(details.categoryOperator, "SINGLE-OP") << how;
    EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), stored) << how;
  };

  // Every answer given, then CANCEL; a word the question does not know is asked again.
  int result = -1;
  std::string screen = OnTerminal("\n\n\n\n\n" "Petr\n" "\n\n\n" "3\n" "\n\n\n\n" "maybe\ncancel\n",
                                  [&] { result = EditEntrantDetails(details, "Q1ABC"); });
  EXPECT_EQ(result, 0);
  expectLoaded("cancel");
  EXPECT_TRUE(Contains(screen, "OK or CANCEL [OK]: OK or CANCEL [OK]: ")) << screen;

  // The input ends in the middle of a text of several lines.
  result = -1;
  OnTerminal("Nice contest\n", [&] { result = EditEntrantDetails(details, "Q1ABC"); });
  EXPECT_EQ(result, 0);
  expectLoaded("end of input");

  // Standard input is no terminal: the dialog cannot be shown.
  result = -1;
  WithoutTerminal([&] { result = EditEntrantDetails(details, "Q1ABC"); });
  EXPECT_EQ(result, 0);
  expectLoaded("no terminal");

  // Nor when its questions would not reach the screen, whatever is typed.
  result = -1;
  OnTerminal(kKeepAll + "\n", [&] { result = EditEntrantDetails(details, "Q1ABC"); }, false);
  EXPECT_EQ(result, 0);
  expectLoaded("no screen");
}

/*===-- Emission setup form ----------------------------------------------------===*/

TEST(EmissionTerminalForm, OnlyOkStoresAndWritesTheChoice) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Plugins");
  PluginState state;

  // CW, then Cancel.
  std::string screen = OnTerminal("1\ncancel\n", [&] { SetupSet(state); });
  EXPECT_EQ(state.emissionChoice, 0);
  EXPECT_FALSE(std::filesystem::exists("Plugins/QOLEB.ini"));
  // "Вид излучения" in Windows-1251, then the buttons; none is marked as chosen.
  EXPECT_TRUE(Contains(screen, "\xC2\xE8\xE4 \xE8\xE7\xEB\xF3\xF7\xE5\xED\xE8\xFF")) << screen;
  EXPECT_TRUE(Contains(screen, "  1 CW\n  2 SSB\nnumber: ")) << screen;

  // CW, then the input ends.
  OnTerminal("1\n", [&] { SetupSet(state); });
  EXPECT_EQ(state.emissionChoice, 0);
  EXPECT_FALSE(std::filesystem::exists("Plugins/QOLEB.ini"));

  // An answer that names no button is asked again; CW and OK.
  screen = OnTerminal("7\ncw\n1\n\n", [&] { SetupSet(state); });
  EXPECT_EQ(state.emissionChoice, 1);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nMode=1\r\n");

  // No choice and OK writes the last confirmed choice again.
  WriteFileBytes("Plugins/QOLEB.ini", "[Settings]\r\nMode=0\r\n");
  OnTerminal("\nOK\n", [&] { SetupSet(state); });
  EXPECT_EQ(state.emissionChoice, 1);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nMode=1\r\n");

  // SSB and OK.
  OnTerminal("2\n\n", [&] { SetupSet(state); });
  EXPECT_EQ(state.emissionChoice, 0);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nMode=0\r\n");

  // No terminal: nothing changes.
  state.emissionChoice = 1;
  WithoutTerminal([&] { SetupSet(state); });
  EXPECT_EQ(state.emissionChoice, 1);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nMode=0\r\n");
}

}  // namespace

}  // namespace stats
