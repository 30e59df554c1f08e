#include "tests/support/win32_windows.h"

#include <fstream>

namespace testing_support {

bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(10)) {
    if (condition()) return true;
  }
  return condition();
}

namespace {

struct Search {
  DWORD pid;
  const char* className;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK Find(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[256] = {};
  wchar_t caption[256] = {};
  GetClassNameA(window, className, sizeof className);
  if (search.caption != nullptr) GetWindowTextW(window, caption, 256);
  if (owner == search.pid && IsWindowVisible(window) && lstrcmpA(className, search.className) == 0 &&
      (search.caption == nullptr || lstrcmpW(caption, search.caption) == 0)) {
    search.found = window;
  }
  return search.found == nullptr;
}

}  // namespace

HWND WaitForWindow(DWORD pid, const char* className, const wchar_t* caption,
                   const std::function<bool()>& gone) {
  Search search{pid, className, caption, nullptr};
  WaitUntil([&] {
    EnumWindows(Find, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr || (gone && gone());
  });
  return search.found;
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

void LetWineDrawFrames(const char* exeName) {
  const std::string key = std::string("Software\\Wine\\AppDefaults\\") + exeName + "\\X11 Driver";
  RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Decorated", REG_SZ, "N", 2);
}

Capture CaptureWindow(HWND window, const std::filesystem::path& bmpFile) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  const bool ownWindow = owner == GetCurrentProcessId();
  if (ownWindow) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  SendMessageA(window, WM_NULL, 0, 0);  // the window's thread has finished painting
  RECT frame, client;
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  Capture capture{static_cast<int>(client.right), static_cast<int>(client.bottom), {}};
  if (width <= 0 || height <= 0) return capture;

  HDC source = ownWindow ? GetWindowDC(window) : GetDC(nullptr);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, ownWindow ? 0 : frame.left,
         ownWindow ? 0 : frame.top, SRCCOPY);
  GdiFlush();

  // The bitmap as it is, 32-bit rows from the top, behind the file's header.
  BITMAPFILEHEADER fileHeader = {};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof info.bmiHeader;
  fileHeader.bfSize = fileHeader.bfOffBits + 4 * width * height;
  std::ofstream file(bmpFile, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
  file.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  file.write(static_cast<const char*>(bits), 4 * width * height);

  const auto* pixels = static_cast<const unsigned*>(bits);
  for (int y = origin.y - frame.top; y < origin.y - frame.top + capture.clientHeight; ++y) {
    for (int x = origin.x - frame.left; x < origin.x - frame.left + capture.clientWidth; ++x) {
      capture.clientPixels.push_back(pixels[y * width + x] & 0xFFFFFF);
    }
  }

  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(ownWindow ? window : nullptr, source);
  return capture;
}

}  // namespace testing_support
