// A stand-in for the host, for the companion's Wine tests.
//
//   fake_orvo_host.exe --log FILE [--reject MACRO]
//
// Registers "Orvo2.Application", puts its automation object in the running
// object table, and owns a top-level window whose class name begins with the
// host's prefix; closing the window ends the program. Every event the companion
// causes goes to FILE as one line:
//   ready                     object registered, window shown
//   macro TEXT                "ExecuteMacros" called with TEXT
//   rejected TEXT             the call was answered with an error (--reject)
//   foreground / background   the window was activated / deactivated
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "tests/companion/fake_application_win32.h"
#include "tests/companion/fake_host_protocol.h"

namespace {

std::string logPath;
std::wstring rejected;

void Log(const std::string& line) {
  if (FILE* file = std::fopen(logPath.c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

// ASCII only, as are the arguments, the macros and the error text.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE) Log(LOWORD(wParam) == WA_INACTIVE ? "background" : "foreground");
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"--log") logPath = Narrow(argv[++i]);
    else if (std::wstring(argv[i]) == L"--reject") rejected = argv[++i];
  }
  LocalFree(argv);
  if (FILE* file = std::fopen(logPath.c_str(), "wb")) std::fclose(file);  // an earlier run's log

  const CLSID clsid = fake_host::RegisterProgId(kFakeHostProgId, "{6F1C3B52-8E0D-4C6A-9B57-2A4D3E1F7C90}");
  if (IsEqualCLSID(clsid, CLSID_NULL)) return 2;
  CoInitialize(nullptr);
  const std::string error = kFakeHostErrorDescription;
  fake_host::FakeApplication application(
      [](const std::wstring& macro) {
        Log((macro == rejected ? "rejected " : "macro ") + Narrow(macro));
        return macro == rejected;
      },
      std::wstring(error.begin(), error.end()), kFakeHostErrorCode);
  DWORD cookie = 0;
  if (FAILED(RegisterActiveObject(&application, clsid, ACTIVEOBJECT_STRONG, &cookie))) return 3;

  const WNDCLASSW windowClass = {.lpfnWndProc = HostWindowProcedure,
                                 .hInstance = instance,
                                 .hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                                 .lpszClassName = kFakeHostWindowClass};
  RegisterClassW(&windowClass);
  if (CreateWindowExW(0, kFakeHostWindowClass, L"Orvo2 (fake host)", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      400, 40, 400, 150, nullptr, nullptr, instance, nullptr) == nullptr)
    return 4;
  Log("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  RevokeActiveObject(cookie, nullptr);
  CoDisconnectObject(&application, 0);
  CoUninitialize();
  return 0;
}
