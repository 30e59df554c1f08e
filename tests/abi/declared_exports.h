// The declared signature of every export as the system's undecorator writes it back
// from the export's decorated name, derived from the function types of stats_abi.h.
#pragma once

#include <map>
#include <string>

#include "stats/interface/stats_abi.h"

namespace abi_test {

template <typename T>
inline constexpr const char* kTypeText = nullptr;
template <> inline constexpr const char* kTypeText<const char*> = "char const *";
template <> inline constexpr const char* kTypeText<char*> = "char *";
template <> inline constexpr const char* kTypeText<int*> = "int *";
template <> inline constexpr const char* kTypeText<COleDateTime*> = "class COleDateTime *";
template <> inline constexpr const char* kTypeText<int> = "int";
template <> inline constexpr const char* kTypeText<unsigned int> = "unsigned int";
template <> inline constexpr const char* kTypeText<double> = "double";
template <> inline constexpr const char* kTypeText<void> = "void";

struct Signature {
  std::string undecorated;
};

// The signature of `name`, declared with the type of `fn`.
template <typename R, typename... A>
Signature Declared(R (*)(A...), const std::string& name) {
  std::string text = std::string(kTypeText<R>) + " __cdecl " + name + "(";
  ((text += std::string(kTypeText<A>) + ","), ...);
  if constexpr (sizeof...(A) == 0) {
    text += "void)";
  } else {
    text.back() = ')';
  }
  return {text};
}

// Declared name of each export -> its signature.
inline std::map<std::string, Signature> DeclaredExports() {
  std::map<std::string, Signature> exports;
  auto add = [&](auto fn, const std::string& name) { exports[name] = Declared(fn, name); };
  add(ResetStats0Fn{}, "ResetStats0");
  add(QsoDataFn{}, "AddData0");
  add(QsoDataFn{}, "RemoveData0");
  add(GetResult0Fn{}, "GetResult0");
  add(CheckCall0Fn{}, "CheckCallFunc0");
  add(GetExchgCount0Fn{}, "StatsGetExchgCount0");
  add(IsValidExchg0Fn{}, "StatsIsValidExchg0");
  add(SetupSet0Fn{}, "SetupSet0");
  add(GetNumberOfSetsFn{}, "GetNumberOfSets");
  add(GetSetNameFn{}, "GetSetName");
  return exports;
}

}  // namespace abi_test
