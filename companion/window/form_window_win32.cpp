// Win32 side of the companion window: the window, its two owner-drawn buttons,
// the timer, and the services that CompanionForm asks for.
#include <windows.h>

#include "companion/window/form_window_win32.h"

#include "companion/host/host_link.h"
#include "companion/window/companion_form.h"
#include "companion/window/form_layout.h"

namespace companion {
namespace {

constexpr char kFormClassName[] = "Ext_zelta.Form1";
constexpr char kProgramTitle[] = "Ext_zelta";
constexpr UINT_PTR kHostWatchTimer = 1;
constexpr UINT kHostWatchMilliseconds = 500;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // no maximize, no minimize

COLORREF ToColorRef(RgbColour colour) { return RGB(colour.red, colour.green, colour.blue); }

class Win32FormServices final : public FormServices {
 public:
  void SetWindow(HWND window) { window_ = window; }

  void ShowMessage(const std::string& text) override {
    // Before the window is shown the box stands alone; afterwards the window
    // owns it, so that no click reaches the buttons while it is open.
    HWND owner = (window_ != nullptr && IsWindowVisible(window_)) ? window_ : nullptr;
    MessageBoxA(owner, text.c_str(), kProgramTitle, MB_OK | (owner ? 0 : MB_SETFOREGROUND));
  }

  InstanceMarker CreateInstanceSemaphore(const char* name) override {
    SetLastError(ERROR_SUCCESS);
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, name);
    InstanceMarker marker;
    marker.lastError = GetLastError();
    marker.handleValid = semaphore != nullptr;
    // Held, neither released nor closed: the system closes it when the process exits.
    instanceSemaphore_ = semaphore;
    return marker;
  }

  void MakeTopmost() override {
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }

 private:
  HWND window_ = nullptr;
  HANDLE instanceSemaphore_ = nullptr;
};

// Everything the window procedure needs; one window per process.
struct FormContext {
  CompanionForm* form = nullptr;
  HostLink* host = nullptr;
  HFONT buttonFont = nullptr;
  HBRUSH buttonBrush = nullptr;
  bool ending = false;
};

FormContext context;

// Ends the program at once: no further event of the window runs, not even the
// unload handler; the window goes, the host reference is released, the process exits.
[[noreturn]] void EndProgram(HWND window) {
  context.ending = true;
  if (window != nullptr) {
    KillTimer(window, kHostWatchTimer);
    DestroyWindow(window);
  }
  context.host->ReleaseHost();
  CoUninitialize();
  ExitProcess(0);
}

void Carry(HWND window, FormNext next) {
  if (next == FormNext::kEndProgram) EndProgram(window);
}

void DrawButton(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &rect, context.buttonBrush);
  DrawEdge(item.hDC, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  char caption[16] = {};
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  HGDIOBJ previousFont = SelectObject(item.hDC, context.buttonFont);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  RECT textRect = rect;
  if (pressed) OffsetRect(&textRect, 1, 1);
  DrawTextA(item.hDC, caption, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, previousFont);

  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focusRect = rect;
    InflateRect(&focusRect, -4, -4);
    DrawFocusRect(item.hDC, &focusRect);
  }
}

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (context.ending) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == kCwButtonId) Carry(window, context.form->ClickCw());
        if (LOWORD(wParam) == kSsbButtonId) Carry(window, context.form->ClickSsb());
      }
      return 0;
    case WM_TIMER:
      if (wParam == kHostWatchTimer) Carry(window, context.form->Tick());
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
    case WM_ENDSESSION:
      if (message == WM_ENDSESSION && wParam == FALSE) break;
      Carry(window, context.form->Unload());
      return 0;
    case WM_DESTROY:
      // Destroyed by someone else than EndProgram: the window is gone, so unload.
      Carry(nullptr, context.form->Unload());
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateForm(HINSTANCE instance) {
  HBRUSH background = CreateSolidBrush(ToColorRef(kFormBackground));
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = FormProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = kFormClassName;
  if (RegisterClassA(&windowClass) == 0) return nullptr;

  HDC screen = GetDC(nullptr);
  int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  // The layout gives the client area; the frame is added around it.
  FormRect client = PixelRect(kFormClientTwips, dpiX, dpiY);
  RECT frame = {client.left, client.top, client.left + client.width, client.top + client.height};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  HWND window = CreateWindowExA(0, kFormClassName, kFormCaption, kFormStyle, frame.left, frame.top,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;

  context.buttonFont = CreateFontA(FontHeightForPoints(kButtonFontPoints, dpiY), 0, 0, 0, FW_BOLD,
                                   FALSE, FALSE, FALSE, kButtonFontCharset, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, kButtonFontFace);
  context.buttonBrush = CreateSolidBrush(ToColorRef(kButtonBackground));
  // Created in tab order.
  for (const ButtonLayout& button : kFormButtons) {
    FormRect r = PixelRect(button.twips, dpiX, dpiY);
    HWND control = CreateWindowExA(0, "BUTTON", button.caption,
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, r.left,
                                   r.top, r.width, r.height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)),
                                   instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(context.buttonFont), FALSE);
  }
  return window;
}

}  // namespace

int RunFormWindow(void* instance, HostLink& host) {
  Win32FormServices services;
  CompanionForm form(host, services);
  context.form = &form;
  context.host = &host;

  // The window exists, hidden, while the start-up runs: going topmost needs it.
  HWND window = CreateForm(static_cast<HINSTANCE>(instance));
  if (window == nullptr) return 1;
  services.SetWindow(window);
  Carry(window, form.Load());

  // Shown without taking the activation: the start-up has just given the
  // foreground to the host, where the operator goes on typing.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  SetTimer(window, kHostWatchTimer, kHostWatchMilliseconds, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &message)) continue;  // Tab between the buttons
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  EndProgram(nullptr);
}

}  // namespace companion
