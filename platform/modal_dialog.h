// Modal dialogs: a dialog template of the module together with the values its
// controls edit, run until the operator ends it with OK or Cancel.
//
// Every implementation must provide RunModalDialogNative(). The Win32 side runs
// the template with its own dialog procedure; the POSIX side asks for the same
// values on the terminal when standard input is one, and cannot show the dialog
// otherwise. The test hook in modal_dialog.cpp is shared by both sides.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// What a dialog run ends with. Only kDialogOk takes the controls' texts back.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;    // Cancel, Esc, the close box, end of input
inline constexpr int kDialogNotShown = -1;  // the dialog could not be created

enum class FieldKind {
  kLine,    // one-line edit control
  kLines,   // edit control of several lines; CR LF between the lines
  kCombo,   // combo box with an edit field: pick an item or type any text
  kChoice,  // radio buttons, each setting `value` when clicked
};

// One radio button of a choice field.
struct ChoiceOption {
  int controlId = 0;
  std::string text;  // the button's text, offered by the terminal form
  int value = 0;     // what a click on the button stores in the field
};

// One control of the template and the value it edits.
struct DialogField {
  FieldKind kind = FieldKind::kLine;
  int controlId = 0;  // Line, Lines, Combo: the control in the template
  std::string label;  // the text the template shows beside the control
  std::string text;   // Line, Lines, Combo: shown when the dialog opens, taken back on OK
  std::vector<std::string> items;     // Combo: added in this order, unsorted
  std::vector<ChoiceOption> options;  // Choice: the radio buttons
  int value = 0;  // Choice: no button is checked when the dialog opens; a click sets this
};

struct DialogForm {
  int templateId = 0;
  std::string caption;  // the template's caption, for the terminal form's title
  std::vector<DialogField> fields;  // in the template's order
};

// RunModalDialog()
// Shows `form` modally without an owner window and returns when it is closed:
// kDialogOk, kDialogCancel or kDialogNotShown. When the dialog opens, every Line
// and Lines control shows its text; a Combo selects the first of its items that
// begins with its text (FirstItemStartingWith), or else shows the text in its
// edit field. A click on a Choice option sets the field's `value` at once,
// whatever the outcome. On OK every Line, Lines and Combo text is replaced by
// the control's full text; otherwise the texts are left as they were.
//
// Win32: the template `form.templateId` of the module that holds this code.
// POSIX: a terminal form on standard input and standard error, the fields in
// order, each with its label and current value; an empty line keeps a value and
// a line holding only "." empties it or ends a text of several lines; a Combo
// takes an item's number or any text; a final question chooses OK or Cancel.
// End of input is Cancel. When standard input or standard error is no terminal
// (a pipe, a file, a test run that captures the output): kDialogNotShown.
int RunModalDialog(DialogForm& form);

// What a test sees of a dialog in place of the dialog itself: it may change the
// texts and values of `form` and returns the outcome.
using ModalDialogHook = std::function<int(DialogForm& form)>;

// SetModalDialogHook()
// While a hook is set, RunModalDialog() calls it instead of showing anything.
// Pass an empty function to show dialogs again.
void SetModalDialogHook(ModalDialogHook hook);

// The platform's own dialog; called by RunModalDialog() when no hook is set.
int RunModalDialogNative(DialogForm& form);

// FirstItemStartingWith()
// The index of the first of `items` that begins with `text`, ASCII letters
// compared without regard to case; -1 when none does. An empty text matches the
// first item.
int FirstItemStartingWith(const std::vector<std::string>& items, const std::string& text);

}  // namespace platform
