// The Win32 host link's hold on the host's automation object. Finding the host's
// window, the macro calls and the host's errors are driven end to end by the Wine tests.
#include "companion/host/host_link_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/companion/fake_application_win32.h"

namespace companion {
namespace {

TEST(Win32HostLink, BindsOnlyToARunningObjectAndKeepsTheLastReference) {
  CoInitialize(nullptr);
  constexpr char kProgId[] = "ZeltaTest.HostLinkApplication";
  const CLSID clsid = fake_host::RegisterProgId(kProgId, "{0B7D4E21-5C3A-4F89-A1D6-93E2C4B8F017}");
  ASSERT_FALSE(IsEqualCLSID(clsid, CLSID_NULL));
  fake_host::FakeApplication application([](const std::wstring&) { return false; });
  Win32HostLink link(kProgId);

  // Registered, but nothing running: no bind, nothing started; nor for a name not registered.
  EXPECT_FALSE(link.BindHost());
  EXPECT_FALSE(link.IsBound());
  EXPECT_FALSE(Win32HostLink("ZeltaTest.NoSuchApplication").BindHost());

  DWORD cookie = 0;
  ASSERT_EQ(RegisterActiveObject(&application, clsid, ACTIVEOBJECT_WEAK, &cookie), S_OK);
  const LONG tableReferences = application.OutsideReferences();
  // A fresh bind replaces the held reference instead of adding one.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(link.BindHost());
  EXPECT_EQ(application.OutsideReferences(), tableReferences + 1) << "old reference leaked";

  // Once the object is gone a bind fails and the last reference stays held.
  RevokeActiveObject(cookie, nullptr);
  EXPECT_FALSE(link.BindHost());
  EXPECT_EQ(application.OutsideReferences(), 1);
  link.ReleaseHost();
  EXPECT_FALSE(link.IsBound());
  EXPECT_EQ(application.OutsideReferences(), 0);
  CoUninitialize();
}

}  // namespace
}  // namespace companion
