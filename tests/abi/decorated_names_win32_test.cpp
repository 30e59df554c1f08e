// Stats.dll exports each function also under its decorated name (the ABI test finds
// each and holds it to the plain one); the system's undecorator must read back the
// signature declared in stats_abi.h.
#include <windows.h>
#include <dbghelp.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/abi/declared_exports.h"
#include "tests/support/plugin_library.h"

namespace {

using DecoratedNames = testing_support::PluginLibraryTest;

TEST_F(DecoratedNames, UndecorateToTheDeclaredSignatures) {
  const auto* base = static_cast<const unsigned char*>(library_);
  ULONG size = 0;
  const auto* exports = static_cast<const IMAGE_EXPORT_DIRECTORY*>(
      ImageDirectoryEntryToData(library_, TRUE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size));
  ASSERT_NE(exports, nullptr);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  auto expected = abi_test::DeclaredExports();
  int decorated = 0;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    const std::string name = reinterpret_cast<const char*>(base + names[i]);
    if (name.empty() || name[0] != '?') continue;
    ++decorated;
    char text[2048] = {};
    ASSERT_NE(UnDecorateSymbolName(name.c_str(), text, sizeof text, UNDNAME_COMPLETE), 0u) << name;
    const std::string declaredName = name.substr(1, name.find("@@") - 1);
    ASSERT_EQ(expected.count(declaredName), 1u) << "unexpected decorated export " << name;
    EXPECT_EQ(std::string(text), expected[declaredName].undecorated) << name;
    expected.erase(declaredName);
  }
  EXPECT_EQ(decorated, 10);
  EXPECT_TRUE(expected.empty()) << "missing decorated name for " << expected.begin()->first;
}

}  // namespace
