// Win32 side of modal_dialog.h: the template runs with one dialog procedure that
// fills the controls from the form, follows the radio buttons and takes the
// texts back on OK.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/modal_dialog.h"

namespace platform {
namespace {

// The module (DLL or program) that holds this code, and with it the templates.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthA(control);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(control, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void FillControls(HWND dialog, const DialogForm& form) {
  for (const DialogField& field : form.fields) {
    HWND control = GetDlgItem(dialog, field.controlId);
    switch (field.kind) {
      case FieldKind::kLine:
      case FieldKind::kLines:
        SetWindowTextA(control, field.text.c_str());
        break;
      case FieldKind::kCombo: {
        for (const std::string& item : field.items) {
          SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        const int index = FirstItemStartingWith(field.items, field.text);
        if (index >= 0) {
          SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        } else {
          SetWindowTextA(control, field.text.c_str());
        }
        break;
      }
      case FieldKind::kChoice:
        // The radio buttons start unchecked: only a click says something.
        break;
    }
  }
}

void TakeTexts(HWND dialog, DialogForm& form) {
  for (DialogField& field : form.fields) {
    if (field.kind == FieldKind::kChoice) continue;
    field.text = ControlText(GetDlgItem(dialog, field.controlId));
  }
}

void FollowClick(DialogForm& form, int controlId) {
  for (DialogField& field : form.fields) {
    if (field.kind != FieldKind::kChoice) continue;
    for (const ChoiceOption& option : field.options) {
      if (option.controlId == controlId) field.value = option.value;
    }
  }
}

INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<DialogForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      form = reinterpret_cast<DialogForm*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      FillControls(dialog, *form);
      return TRUE;  // the system puts the focus on the first tab stop
    case WM_COMMAND: {
      if (form == nullptr) return FALSE;
      const int id = LOWORD(wParam);
      if (id == IDOK) {
        TakeTexts(dialog, *form);
        EndDialog(dialog, kDialogOk);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, kDialogCancel);
        return TRUE;
      }
      if (HIWORD(wParam) == BN_CLICKED) FollowClick(*form, id);
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int RunModalDialogNative(DialogForm& form) {
  // The wide run keeps the template's caption as the resource gives it (in
  // UTF-16), whatever the ANSI code page; the controls' texts still pass in and
  // out in the ANSI code page.
  const INT_PTR result =
      DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(form.templateId), nullptr, FormProc,
                      reinterpret_cast<LPARAM>(&form));
  if (result == kDialogOk) return kDialogOk;
  if (result == -1 || result == 0) return kDialogNotShown;
  return kDialogCancel;
}

}  // namespace platform
