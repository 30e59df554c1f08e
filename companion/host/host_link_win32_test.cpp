// The Win32 host link against an automation object and windows of this process.
#include "companion/host/host_link_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/companion/fake_application_win32.h"

namespace companion {
namespace {

constexpr char kTestProgId[] = "ZeltaTest.HostLinkApplication";
constexpr char kTestClsidText[] = "{0B7D4E21-5C3A-4F89-A1D6-93E2C4B8F017}";
const CLSID kTestClsid = {0x0b7d4e21, 0x5c3a, 0x4f89, {0xa1, 0xd6, 0x93, 0xe2, 0xc4, 0xb8, 0xf0, 0x17}};

class ComApartment {
 public:
  ComApartment() { CoInitialize(nullptr); }
  ~ComApartment() { CoUninitialize(); }
};

TEST(Win32HostLink, BindsOnlyToARunningObjectAndKeepsTheLastReference) {
  ComApartment apartment;
  ASSERT_TRUE(fake_host::RegisterProgId(kTestProgId, kTestClsidText));
  fake_host::FakeApplication application([](const std::wstring&) { return false; },
                                         {L"", S_OK});
  Win32HostLink link(kTestProgId);

  // Registered, but nothing running: no bind, nothing started.
  EXPECT_FALSE(link.BindHost());
  EXPECT_FALSE(link.IsBound());
  // An identifier that is not registered at all.
  Win32HostLink unknown("ZeltaTest.NoSuchApplication");
  EXPECT_FALSE(unknown.BindHost());

  DWORD cookie = 0;
  ASSERT_EQ(RegisterActiveObject(&application, kTestClsid, ACTIVEOBJECT_WEAK, &cookie), S_OK);
  LONG tableReferences = application.OutsideReferences();
  ASSERT_TRUE(link.BindHost());
  EXPECT_EQ(application.OutsideReferences(), tableReferences + 1);
  // A fresh bind replaces the held reference instead of adding one.
  ASSERT_TRUE(link.BindHost());
  ASSERT_TRUE(link.BindHost());
  EXPECT_EQ(application.OutsideReferences(), tableReferences + 1) << "old reference leaked";

  // Once the object is gone a bind fails and the last reference stays held.
  RevokeActiveObject(cookie, nullptr);
  EXPECT_FALSE(link.BindHost());
  EXPECT_TRUE(link.IsBound());
  EXPECT_EQ(application.OutsideReferences(), 1);

  link.ReleaseHost();
  EXPECT_FALSE(link.IsBound());
  EXPECT_EQ(application.OutsideReferences(), 0);
}

TEST(Win32HostLink, RunsExecuteMacrosWithTheTextAndReportsHostErrors) {
  ComApartment apartment;
  ASSERT_TRUE(fake_host::RegisterProgId(kTestProgId, kTestClsidText));
  std::vector<std::wstring> received;
  fake_host::FakeApplication application(
      [&received](const std::wstring& macro) {
        received.push_back(macro);
        return macro == L"<MODE:RTTY>";
      },
      {L"Unknown mode", static_cast<SCODE>(0x80040202)});
  Win32HostLink link(kTestProgId);

  // Nothing bound yet: an error, not a crash.
  std::optional<HostError> error = link.RunHostMacro("<MODE:CW>");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(static_cast<unsigned long>(error->code), 0x80004003UL);  // E_POINTER

  DWORD cookie = 0;
  ASSERT_EQ(RegisterActiveObject(&application, kTestClsid, ACTIVEOBJECT_WEAK, &cookie), S_OK);
  ASSERT_TRUE(link.BindHost());
  EXPECT_FALSE(link.RunHostMacro("<MODE:CW>").has_value());
  EXPECT_FALSE(link.RunHostMacro("<MODE:SSB>").has_value());

  // The host's error comes back with its description and code.
  error = link.RunHostMacro("<MODE:RTTY>");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->description, "Unknown mode");
  EXPECT_EQ(static_cast<unsigned long>(error->code), 0x80040202UL);

  EXPECT_EQ(received, (std::vector<std::wstring>{L"<MODE:CW>", L"<MODE:SSB>", L"<MODE:RTTY>"}));
  link.ReleaseHost();
  RevokeActiveObject(cookie, nullptr);
}

LRESULT CALLBACK PlainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateWindowOfClass(const char* className) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PlainWindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, className, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

struct Order {
  std::vector<HWND> candidates;
  HWND first = nullptr;
};

BOOL CALLBACK FirstCandidate(HWND window, LPARAM parameter) {
  auto& order = *reinterpret_cast<Order*>(parameter);
  for (HWND candidate : order.candidates) {
    if (candidate == window) {
      order.first = window;
      return FALSE;
    }
  }
  return TRUE;
}

TEST(Win32HostLink, FindsTheFirstWindowWhoseClassBeginsWithThePrefix) {
  Win32HostLink link;
  // Near misses: a letter in another case, one character short. (Class names
  // are registered without regard to case, so every name here differs in more.)
  HWND lowerCase = CreateWindowOfClass("afx:400000:b:10011:6:lower");
  HWND tooShort = CreateWindowOfClass("Afx:400000:b:1001");
  ASSERT_NE(lowerCase, nullptr);
  ASSERT_NE(tooShort, nullptr);
  EXPECT_EQ(link.FindHostWindow(), nullptr);

  HWND exact = CreateWindowOfClass("Afx:400000:b:10011");
  HWND longer = CreateWindowOfClass("Afx:400000:b:10011:6:longer");
  ASSERT_NE(exact, nullptr);
  ASSERT_NE(longer, nullptr);
  // Both match; the one the system enumerates first wins.
  Order order{{exact, longer}};
  EnumWindows(FirstCandidate, reinterpret_cast<LPARAM>(&order));
  ASSERT_NE(order.first, nullptr);
  EXPECT_EQ(link.FindHostWindow(), order.first);

  DestroyWindow(order.first);
  EXPECT_EQ(link.FindHostWindow(), order.first == exact ? longer : exact);

  DestroyWindow(order.first == exact ? longer : exact);
  EXPECT_EQ(link.FindHostWindow(), nullptr) << "a gone window must not be found again";
  DestroyWindow(lowerCase);
  DestroyWindow(tooShort);

  // Focusing no window is harmless.
  link.FocusHost(nullptr);
}

}  // namespace
}  // namespace companion
