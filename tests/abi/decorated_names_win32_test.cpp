// Stats.dll exports each function also under its decorated name; the system's
// undecorator must read back the signature declared in stats_abi.h, and the name
// must lead to the same function as the plain one.
#include <windows.h>
#include <dbghelp.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/shared_library.h"
#include "tests/abi/declared_exports.h"

namespace {

// Every name in the DLL's export directory.
std::vector<std::string> ExportNames(HMODULE module) {
  auto* base = reinterpret_cast<const unsigned char*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> result;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  }
  return result;
}

TEST(DecoratedNames, UndecorateToTheDeclaredSignatures) {
  const auto path =
      std::filesystem::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME;
  HMODULE module = LoadLibraryA(path.string().c_str());
  ASSERT_NE(module, nullptr) << path.string();

  auto expected = abi_test::DeclaredExports();
  int decorated = 0;
  for (const std::string& name : ExportNames(module)) {
    if (name.empty() || name[0] != '?') continue;
    ++decorated;
    char text[2048] = {};
    ASSERT_NE(UnDecorateSymbolName(name.c_str(), text, sizeof text, UNDNAME_COMPLETE), 0u)
        << name;
    const std::string declaredName = name.substr(1, name.find("@@") - 1);
    ASSERT_EQ(expected.count(declaredName), 1u) << "unexpected decorated export " << name;
    EXPECT_EQ(std::string(text), expected[declaredName].undecorated) << name;
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, name.c_str())),
              reinterpret_cast<void*>(GetProcAddress(module, declaredName.c_str())))
        << name << " must be an alias of " << declaredName;
    expected.erase(declaredName);
  }
  EXPECT_EQ(decorated, 10);
  EXPECT_TRUE(expected.empty()) << "missing decorated name for " << expected.begin()->first;
  FreeLibrary(module);
}

}  // namespace
