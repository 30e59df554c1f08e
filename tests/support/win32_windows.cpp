#include "tests/support/win32_windows.h"

#include <cstring>
#include <fstream>

namespace testing_support {

bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limitMs) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

namespace {

struct Search {
  DWORD pid;
  const char* className;
  const wchar_t* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[256] = {};
  wchar_t caption[256] = {};
  GetClassNameA(window, className, sizeof className);
  if (search.caption != nullptr) GetWindowTextW(window, caption, 256);
  if (owner == search.pid && IsWindowVisible(window) &&
      lstrcmpA(className, search.className) == 0 &&
      (search.caption == nullptr || lstrcmpW(caption, search.caption) == 0)) {
    search.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> VisibleWindows(DWORD pid, const char* className, const wchar_t* caption) {
  Search search{pid, className, caption, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD pid, const char* className, const wchar_t* caption,
                   const std::function<bool()>& gone) {
  HWND window = nullptr;
  WaitUntil([&] {
    const std::vector<HWND> found = VisibleWindows(pid, className, caption);
    if (!found.empty()) window = found.front();
    return window != nullptr || (gone && gone());
  });
  return window;
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void LetWineDrawFrames(const char* exeName) {
  const std::string path = std::string("Software\\Wine\\AppDefaults\\") + exeName + "\\X11 Driver";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const char no[] = "N";
  RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
  RegCloseKey(key);
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
  Capture capture;
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
  const auto* pixels = static_cast<const unsigned*>(bits);

  // BMP rows are bottom-up, 3 bytes a pixel, padded to 4 bytes.
  const DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = rowSize * static_cast<DWORD>(height);
  BITMAPFILEHEADER fileHeader = {};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  for (int y = height - 1; y >= 0; --y) {
    std::string row(rowSize, '\0');
    for (int x = 0; x < width; ++x) std::memcpy(&row[x * 3], &pixels[y * width + x], 3);
    bytes += row;
  }
  std::ofstream(bmpFile, std::ios::binary | std::ios::trunc) << bytes;

  capture.clientWidth = client.right;
  capture.clientHeight = client.bottom;
  const int dx = origin.x - frame.left;
  const int dy = origin.y - frame.top;
  for (int y = 0; y < capture.clientHeight; ++y) {
    for (int x = 0; x < capture.clientWidth; ++x) {
      capture.clientPixels.push_back(pixels[(y + dy) * width + (x + dx)] & 0xFFFFFF);
    }
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  if (ownWindow) ReleaseDC(window, source); else ReleaseDC(nullptr, source);
  return capture;
}

}  // namespace testing_support
