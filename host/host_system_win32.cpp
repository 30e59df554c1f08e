// Win32 side of host_system.h.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>

#include "host/host_system.h"

namespace zelta {
namespace {

UINT savedConsoleOutputCp = 0;

void RestoreConsoleOutputCp() { SetConsoleOutputCP(savedConsoleOutputCp); }

std::string WindowText(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK FindEditControl(HWND child, LPARAM found) {
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Edit") == 0 || lstrcmpiA(className, "ComboBox") == 0) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

// Windows already answered; a handle leaves the set once its window is gone.
// Never destroyed: the watcher thread may still run while the process exits.
std::set<HWND>& Answered() {
  static auto* answered = new std::set<HWND>;
  return *answered;
}

// Answers one top-level window of the host's thread if it is a dialog.
BOOL CALLBACK AnswerWindow(HWND window, LPARAM) {
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  // Only dialogs that are fully created and shown: their texts are in place then.
  if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (!Answered().insert(window).second) return TRUE;
  bool hasEditControl = false;
  EnumChildWindows(window, FindEditControl, reinterpret_cast<LPARAM>(&hasEditControl));
  if (hasEditControl) {
    std::fprintf(stderr, "zelta: the plug-in's dialog \"%s\" was cancelled (batch mode)\n",
                 WindowText(window).c_str());
    std::fflush(stderr);
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  // A message box: its text is the static control 0xFFFF.
  char text[4096] = {};
  GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
  std::fprintf(stderr, "%s: %s\n", WindowText(window).c_str(), text);
  std::fflush(stderr);
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

}  // namespace

const char* PluginFileName() { return "Stats.dll"; }

void PrepareStandardOutput() {
  // The summary already has its CR LF; text mode would make them CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  DWORD consoleMode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &consoleMode)) {
    savedConsoleOutputCp = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::atexit(RestoreConsoleOutputCp);
  }
}

bool StandardErrorIsTerminal() {
  // _isatty() also says yes for the NUL device; only a console has a mode.
  DWORD consoleMode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &consoleMode) != 0;
}

void StartBatchMode() {
  // The plug-in's boxes and dialogs run modally on this thread; a watcher thread
  // finds them among the thread's windows and answers them.
  const DWORD hostThread = GetCurrentThreadId();
  std::thread([hostThread] {
    for (;;) {
      std::set<HWND>& answered = Answered();
      for (auto it = answered.begin(); it != answered.end();) {
        it = IsWindow(*it) ? std::next(it) : answered.erase(it);
      }
      EnumThreadWindows(hostThread, AnswerWindow, 0);
      Sleep(20);
    }
  }).detach();
}

}  // namespace zelta
