// POSIX side of modal_dialog.h: the dialog becomes a form on the terminal.
//
// The form reads standard input one byte at a time, so it never takes more than
// the lines it asks for from a host that reads the same input, and writes to
// standard error, which stays on the terminal when the host's output is
// redirected. Texts pass through byte for byte, in the host's code page.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/modal_dialog.h"

namespace platform {
namespace {

constexpr char kLineBreak[] = "\r\n";

void Write(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to show it: the answers still count
    done += static_cast<std::size_t>(n);
  }
}

// One line of input without its line end; nothing at the end of input.
std::optional<std::string> ReadLine() {
  std::string line;
  for (;;) {
    char c = 0;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;  // end of input, or a terminal that went away
    if (c == '\n') break;
    line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find(kLineBreak, start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// A whole number from 1 to `count` written in `line`, or 0.
std::size_t ItemNumber(const std::string& line, std::size_t count) {
  if (line.empty() || line.size() > 3) return 0;
  std::size_t number = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  return number >= 1 && number <= count ? number : 0;
}

std::string ItemList(const std::vector<std::string>& items) {
  std::string list;
  for (std::size_t i = 0; i < items.size(); ++i) {
    list += "  " + std::to_string(i + 1) + " " + items[i] + "\n";
  }
  return list;
}

// Each Ask...() returns false at the end of input.

bool AskLine(DialogField& field) {
  Write(field.label + " [" + field.text + "]: ");
  const auto line = ReadLine();
  if (!line) return false;
  if (*line == ".") {
    field.text.clear();
  } else if (!line->empty()) {
    field.text = *line;
  }
  return true;
}

bool AskLines(DialogField& field) {
  Write(field.label + ":\n");
  if (!field.text.empty()) {
    for (const std::string& line : SplitLines(field.text)) Write("  | " + line + "\n");
  }
  Write("(several lines, a line holding only \".\" ends them)\n> ");
  auto line = ReadLine();
  if (!line) return false;
  if (line->empty()) return true;  // kept as it is
  std::string text;
  bool first = true;
  while (*line != ".") {
    if (!first) text += kLineBreak;
    text += *line;
    first = false;
    Write("> ");
    line = ReadLine();
    if (!line) return false;
  }
  field.text = text;
  return true;
}

bool AskCombo(DialogField& field) {
  // The combo box opens on the first item that begins with its text.
  const int index = FirstItemStartingWith(field.items, field.text);
  const std::string shown =
      index >= 0 ? field.items[static_cast<std::size_t>(index)] : field.text;
  Write(field.label + " [" + shown + "]\n" + ItemList(field.items) + "number or text: ");
  const auto line = ReadLine();
  if (!line) return false;
  if (line->empty()) {
    field.text = shown;
  } else if (*line == ".") {
    field.text.clear();
  } else if (const std::size_t number = ItemNumber(*line, field.items.size())) {
    field.text = field.items[number - 1];
  } else {
    field.text = *line;
  }
  return true;
}

bool AskChoice(DialogField& field) {
  std::vector<std::string> texts;
  for (const ChoiceOption& option : field.options) texts.push_back(option.text);
  for (;;) {
    // Like the radio buttons, the form names no current choice.
    Write((field.label.empty() ? std::string() : field.label + "\n") + ItemList(texts) +
          "number: ");
    const auto line = ReadLine();
    if (!line) return false;
    if (line->empty()) return true;
    if (const std::size_t number = ItemNumber(*line, texts.size())) {
      field.value = field.options[number - 1].value;
      return true;
    }
  }
}

// kDialogOk or kDialogCancel; nothing at the end of input.
std::optional<int> AskOkOrCancel() {
  for (;;) {
    Write("OK or CANCEL [OK]: ");
    const auto line = ReadLine();
    if (!line) return std::nullopt;
    std::string answer;
    for (char c : *line) answer.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c);
    if (answer.empty() || answer == "ok" || answer == "o" || answer == "y" || answer == "yes") {
      return kDialogOk;
    }
    if (answer == "cancel" || answer == "c" || answer == "n" || answer == "no") {
      return kDialogCancel;
    }
  }
}

}  // namespace

int RunModalDialogNative(DialogForm& form) {
  // The form needs a keyboard and a screen the operator can read: a form whose
  // questions go to a file or a pipe would wait for blind answers.
  if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)) return kDialogNotShown;

  // The answers go into a copy: Cancel and the end of input take no text back.
  DialogForm answers = form;
  bool hasTexts = false;
  for (const DialogField& field : form.fields) hasTexts |= field.kind != FieldKind::kChoice;
  Write("\n" + form.caption + "\n");
  if (hasTexts) Write("(Enter keeps a value; \".\" alone empties it)\n");
  for (std::size_t i = 0; i < answers.fields.size(); ++i) {
    DialogField& field = answers.fields[i];
    bool answered = true;
    switch (field.kind) {
      case FieldKind::kLine: answered = AskLine(field); break;
      case FieldKind::kLines: answered = AskLines(field); break;
      case FieldKind::kCombo: answered = AskCombo(field); break;
      case FieldKind::kChoice: answered = AskChoice(field); break;
    }
    if (!answered) {
      Write("\n");
      return kDialogCancel;
    }
    // A click on a radio button counts at once, as in the window.
    if (field.kind == FieldKind::kChoice) form.fields[i].value = field.value;
  }
  const auto result = AskOkOrCancel();
  if (!result) {
    Write("\n");
    return kDialogCancel;
  }
  if (*result == kDialogOk) {
    for (std::size_t i = 0; i < form.fields.size(); ++i) {
      if (form.fields[i].kind != FieldKind::kChoice) form.fields[i].text = answers.fields[i].text;
    }
  }
  return *result;
}

}  // namespace platform
