// A stand-in for the host, for the companion's Wine tests.
//
//   fake_orvo_host.exe --log FILE [--reject-once MACRO] [--register-only]
//
// Registers "Orvo2.Application" under HKEY_CLASSES_ROOT, puts its automation
// object in the running object table, and owns a top-level window whose class
// name begins with the host's prefix. Every event the companion causes goes to
// FILE as one line, and the event named by fakeHostLogEvent is set after each:
//   ready                 object registered, window shown
//   macro TEXT            "ExecuteMacros" called with TEXT
//   rejected TEXT         the call was answered with an error (--reject-once)
//   foreground / background   the window was activated / deactivated
//   ended                 the object was revoked, the program ends
// Closing the window (WM_CLOSE) ends the program.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "tests/companion/fake_application_win32.h"
#include "tests/companion/fake_host_protocol.h"

namespace {

// {6F1C3B52-8E0D-4C6A-9B57-2A4D3E1F7C90}
const CLSID kFakeHostClsid = {0x6f1c3b52, 0x8e0d, 0x4c6a, {0x9b, 0x57, 0x2a, 0x4d, 0x3e, 0x1f, 0x7c, 0x90}};
constexpr char fakeHostClsidText[] = "{6F1C3B52-8E0D-4C6A-9B57-2A4D3E1F7C90}";

std::string logPath;
std::wstring rejectOnce;
HANDLE logEvent = nullptr;

void Log(const std::string& line) {
  if (FILE* file = std::fopen(logPath.c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
  SetEvent(logEvent);
}

std::string Narrow(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      Log(LOWORD(wParam) == WA_INACTIVE ? "background" : "foreground");
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool registerOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring argument = argv[i];
    if (argument == L"--log" && i + 1 < argc) logPath = Narrow(argv[++i]);
    else if (argument == L"--reject-once" && i + 1 < argc) rejectOnce = argv[++i];
    else if (argument == L"--register-only") registerOnly = true;
  }
  LocalFree(argv);

  if (!fake_host::RegisterProgId(fakeHostProgId, fakeHostClsidText)) return 2;
  if (registerOnly) return 0;
  logEvent = CreateEventA(nullptr, FALSE, FALSE, fakeHostLogEvent);

  CoInitialize(nullptr);
  fake_host::FakeApplication application(
      [](const std::wstring& macro) {
        bool reject = !rejectOnce.empty() && macro == rejectOnce;
        if (reject) rejectOnce.clear();
        Log((reject ? "rejected " : "macro ") + Narrow(macro.c_str()));
        return reject;
      },
      {fakeHostErrorDescription, fakeHostErrorCode});
  DWORD cookie = 0;
  if (FAILED(RegisterActiveObject(&application, kFakeHostClsid, ACTIVEOBJECT_STRONG, &cookie)))
    return 3;

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = HostWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = fakeHostWindowClassW;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, fakeHostWindowClassW, L"Orvo2 (fake host)",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 40, 400, 150, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 4;
  Log("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  RevokeActiveObject(cookie, nullptr);
  CoDisconnectObject(&application, 0);
  CoUninitialize();
  Log("ended");
  return 0;
}
