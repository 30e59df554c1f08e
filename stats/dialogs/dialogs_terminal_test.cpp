// The dialogs as terminal forms: standard input and standard error are put on a
// pseudo-terminal whose keyboard has already typed the answers, and what the
// form writes there is read back.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

// kNoKeyboard: standard input is /dev/null; kNoScreen: standard error is.
enum class Terminal { kWhole, kNoKeyboard, kNoScreen };

// Runs `show` on a fresh pseudo-terminal that has `typed` waiting as keyboard
// input; returns what appeared on it. The input always ends with an end-of-input
// key, so a form that asks for more than the test typed sees Cancel.
std::string OnTerminal(const std::string& typed, const std::function<void()>& show,
                       Terminal terminal = Terminal::kWhole) {
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

  const int nothing = open("/dev/null", O_RDWR);
  const int savedInput = dup(STDIN_FILENO);
  const int savedError = dup(STDERR_FILENO);
  dup2(terminal == Terminal::kNoKeyboard ? nothing : slave, STDIN_FILENO);
  dup2(terminal == Terminal::kNoScreen ? nothing : slave, STDERR_FILENO);
  show();
  dup2(savedInput, STDIN_FILENO);
  dup2(savedError, STDERR_FILENO);
  for (int fd : {savedInput, savedError, nothing, slave}) close(fd);
  reader.join();
  close(master);
  return screen;
}

TEST(ComboFill, SelectsTheFirstItemThatBeginsWithTheTextInAnyCase) {
  const std::vector<std::string> items = {"SINGLE-OP", "SINGLE-OP-18", "MULTI-OP", "MULTI-OP-18"};
  EXPECT_EQ(platform::FirstItemStartingWith(items, "single-op-18"), 1);
  EXPECT_EQ(platform::FirstItemStartingWith(items, "multi"), 2);
  EXPECT_EQ(platform::FirstItemStartingWith(items, ""), 0);
  // None: the text goes into the edit field.
  EXPECT_EQ(platform::FirstItemStartingWith(items, "SINGLE-OP-180"), -1);
  EXPECT_EQ(platform::FirstItemStartingWith({}, ""), -1);
}

TEST(HeaderTerminalForm, ShowsTheDetailsAndOkTakesAndSavesEveryAnswerButClaimed) {
  ScopedWorkDir dir;
  WriteFileBytes("Plugins/QOLEB.ini",
                 "[Settings]\r\nName=Ivan\r\nAddress=12 Main St<CR><LF>Town\r\nClaimed=1234\r\n");
  using D = EntrantDetails;
  // In the template's order: what the form shows, what is typed, what is taken.
  const struct {
    const char* shown;
    const char* typed;
    std::string D::*field;
    const char* taken;
  } fields[] = {
      {"SOAPBOX:\n(", "Nice contest\n73\n.\n", &D::soapbox, "Nice contest\r\n73"},
      {"ADDRESS:\n  | 12 Main St\n  | Town\n", "\n", &D::address, "12 Main St\r\nTown"},
      {"E-MAIL []", "q1abc@example.org\n", &D::email, "q1abc@example.org"},
      {"CLUB []", "\n", &D::club, ""},
      {"OPERATORS [Q1ABC]", "Q1ABC Q1XYZ\n", &D::operators, "Q1ABC Q1XYZ"},
      {"NAME [Ivan]", ".\n", &D::name, ""},
      {"CLAIMED [1234]", "999999\n", &D::claimed, "1234"},  // from the settings file only
      {"CONTEST [ZELTA-CUP]", "\n", &D::contest, "ZELTA-CUP"},
      {"CALLSIGN [Q1ABC]", "Q1ABC/P\n", &D::callsign, "Q1ABC/P"},
      {"CATEGORY-OPERATOR [SINGLE-OP]\n  1 SINGLE-OP\n  2 SINGLE-OP-18\n  3 MULTI-OP\n"
       "  4 MULTI-OP-18\n  5 CONFERENC\n", "4\n", &D::categoryOperator, "MULTI-OP-18"},
      {"CATEGORY-BAND [ALL]\n  1 ALL\n  2 160M-80M-40M\n  3 20M-15M-10M\n", "20m\n",
       &D::categoryBand, "20m"},
      {"CATEGORY-MODE [SSB]\n  1 SSB\n  2 CW\n  3 MIX\n", "CHECKLOG\n", &D::categoryMode,
       "CHECKLOG"},
      {"CATEGORY-POWER [HIGH]\n  1 HIGH\n  2 LOW\n  3 QRP\n", "\n", &D::categoryPower, "HIGH"},
      {"LOCATION []", "RU-MOW\n", &D::location, "RU-MOW"},
  };
  std::string typed;
  for (const auto& f : fields) typed += f.typed;
  D details;
  int result = -1;
  const std::string screen =
      OnTerminal(typed + "ok\n", [&] { result = EditEntrantDetails(details, "Q1ABC"); });

  EXPECT_EQ(result, 1);
  std::string::size_type at = screen.find("ZELTA TROPHY");
  for (const auto& f : fields) {
    at = screen.find(f.shown, at);
    ASSERT_NE(at, std::string::npos) << f.shown << " in order in\n" << screen;
    EXPECT_EQ(details.*f.field, f.taken) << f.shown;
  }
  EXPECT_EQ(details.fileStem, "Q1ABC") << "the log keeps the name of the run's own call";
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"),
            "[Settings]\r\nName=\r\nAddress=12 Main St<CR><LF>Town\r\nClaimed=1234\r\n"
            "Operators=Q1ABC Q1XYZ\r\nLocation=RU-MOW\r\nContest=ZELTA-CUP\r\n"
            "Email=q1abc@example.org\r\nClub=\r\nSoapBox=Nice contest<CR><LF>73\r\n");
}

TEST(HeaderTerminalForm, CancelEndOfInputOrNoTerminalKeepTheLoadedDetails) {
  ScopedWorkDir dir;
  const std::string stored = "[Settings]\r\nName=Ivan\r\nClaimed=1234\r\n";
  WriteFileBytes("Plugins/QOLEB.ini", stored);
  const std::string keepAll(14, '\n');
  const struct {
    const char* how;
    std::string typed;
    Terminal terminal;
    const char* shown;
  } cases[] = {
      // Every answer given, then CANCEL; a word the question does not know is asked again.
      {"cancel", "\n\n\n\n\nPetr\n\n\n\n3\n\n\n\n\nmaybe\ncancel\n", Terminal::kWhole,
       "OK or CANCEL [OK]: OK or CANCEL [OK]: "},
      {"end of input inside a text of several lines", "Nice contest\n", Terminal::kWhole, ""},
      {"no keyboard", keepAll + "\n", Terminal::kNoKeyboard, ""},
      {"no screen", keepAll + "\n", Terminal::kNoScreen, ""},
  };
  for (const auto& c : cases) {
    EntrantDetails details;
    int result = -1;
    const std::string screen =
        OnTerminal(c.typed, [&] { result = EditEntrantDetails(details, "Q1ABC"); }, c.terminal);
    EXPECT_EQ(result, 0) << c.how;
    EXPECT_EQ(details.name, "Ivan") << c.how;
    EXPECT_EQ(details.categoryOperator, "SINGLE-OP") << c.how;
    EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), stored) << c.how;
    EXPECT_NE(screen.find(c.shown), std::string::npos) << c.how << ":\n" << screen;
  }
}

TEST(EmissionTerminalForm, ShowsTheButtonsAndOnlyOkStoresAndWritesTheChoice) {
  ScopedWorkDir dir;
  PluginState state;
  const struct {
    const char* typed;
    int choice;
    const char* mode;  // x: not written
  } steps[] = {
      {"1\ncancel\n", 0, "x"},
      {"1\n", 0, "x"},            // CW, then the input ends
      {"7\ncw\n1\n\n", 1, "1"},  // no such button: asked again
      {"2\n\n", 0, "0"},
      {"\nOK\n", 0, "0"},         // OK writes the last choice again
  };
  for (const auto& step : steps) {
    WriteFileBytes("Plugins/QOLEB.ini", "[Settings]\r\nMode=x\r\n");
    const std::string screen = OnTerminal(step.typed, [&] { SetupSet(state); });
    EXPECT_EQ(state.emissionChoice, step.choice) << step.typed;
    EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"),
              std::string("[Settings]\r\nMode=") + step.mode + "\r\n")
        << step.typed;
    // "Вид излучения" in Windows-1251, then the buttons; none is marked as chosen.
    EXPECT_NE(screen.find("\xC2\xE8\xE4 \xE8\xE7\xEB\xF3\xF7\xE5\xED\xE8\xFF\n"
                          "  1 CW\n  2 SSB\nnumber: "),
              std::string::npos)
        << screen;
  }
}

}  // namespace

}  // namespace stats
