// Stats.dll exports each function also under its decorated name; the system's
// undecorator must read back the declared signature, and the name must lead to
// the same function as the plain one.
#include <windows.h>
#include <dbghelp.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/shared_library.h"

namespace {

std::string Repeat(const std::string& type, int count) {
  std::string list;
  for (int i = 0; i < count; ++i) list += type + ",";
  return list;
}

std::string Declared(const std::string& result, const std::string& name, std::string params) {
  if (!params.empty() && params.back() == ',') params.pop_back();
  return result + " __cdecl " + name + "(" + params + ")";
}

// Declared name -> its signature as the undecorator writes it.
std::map<std::string, std::string> DeclaredSignatures() {
  const std::string text = "char const *";
  const std::string date = "class COleDateTime *";
  const std::string tail = "int,int,int,double,double,";
  const std::string qso = Repeat(text, 2) + Repeat(date, 4) + "unsigned int,unsigned int," +
                          Repeat(text, 15) + tail + Repeat(text, 5);
  return {
      {"ResetStats0", Declared("int", "ResetStats0", text + ",int," + text + "," +
                                                         Repeat(date, 2) + Repeat(text, 10) +
                                                         tail + Repeat(text, 3))},
      {"AddData0", Declared("int", "AddData0", qso)},
      {"RemoveData0", Declared("int", "RemoveData0", qso)},
      {"GetResult0", Declared("char const *", "GetResult0", "int *")},
      {"CheckCallFunc0",
       Declared("int", "CheckCallFunc0",
                text + ",unsigned int,unsigned int," + Repeat(text, 11) + tail +
                    Repeat(text, 7) + "char *,char *")},
      {"StatsGetExchgCount0", Declared("int", "StatsGetExchgCount0", Repeat(text, 3))},
      {"StatsIsValidExchg0", Declared("int", "StatsIsValidExchg0", Repeat(text, 4) + "int,int,int")},
      {"SetupSet0", Declared("void", "SetupSet0", "void")},
      {"GetNumberOfSets", Declared("int", "GetNumberOfSets", "void")},
      {"GetSetName", Declared("char const *", "GetSetName", "int")},
  };
}

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

  auto expected = DeclaredSignatures();
  int decorated = 0;
  for (const std::string& name : ExportNames(module)) {
    if (name.empty() || name[0] != '?') continue;
    ++decorated;
    char text[2048] = {};
    ASSERT_NE(UnDecorateSymbolName(name.c_str(), text, sizeof text, UNDNAME_COMPLETE), 0u)
        << name;
    const std::string declaredName = name.substr(1, name.find("@@") - 1);
    ASSERT_EQ(expected.count(declaredName), 1u) << "unexpected decorated export " << name;
    EXPECT_EQ(std::string(text), expected[declaredName]) << name;
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
