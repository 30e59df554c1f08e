// The declared signature of every export, derived from the function types of
// stats_abi.h: as the decorated name that stats.def must give it, and as the
// system's undecorator writes it back. The export list of stats.def is compiled in.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "stats/interface/stats_abi.h"

namespace abi_test {

// stats.def as text (generated from the file at configure time).
inline constexpr char kStatsDef[] =
#include "stats_def.inc"
    ;

template <typename T>
struct Type;
template <> struct Type<const char*> { static constexpr const char* code = "PBD", *text = "char const *"; };
template <> struct Type<char*> { static constexpr const char* code = "PAD", *text = "char *"; };
template <> struct Type<int*> { static constexpr const char* code = "PAH", *text = "int *"; };
template <> struct Type<COleDateTime*> {
  static constexpr const char* code = "PAVCOleDateTime@@", *text = "class COleDateTime *";
};
template <> struct Type<int> { static constexpr const char* code = "H", *text = "int"; };
template <> struct Type<unsigned int> { static constexpr const char* code = "I", *text = "unsigned int"; };
template <> struct Type<double> { static constexpr const char* code = "N", *text = "double"; };
template <> struct Type<void> { static constexpr const char* code = "X", *text = "void"; };

struct Signature {
  std::string decorated;
  std::string undecorated;
};

template <typename Fn>
struct Declared;
template <typename R, typename... A>
struct Declared<R (*)(A...)> {
  static Signature Of(const std::string& name) {
    Signature s{"?" + name + "@@YA" + Type<R>::code, std::string(Type<R>::text) + " __cdecl " + name + "("};
    // A parameter type of more than one letter already seen is written as its index
    // among the first ten such types.
    std::vector<std::string> seen;
    auto add = [&](const std::string& code, const char* text) {
      std::size_t i = 0;
      while (i < seen.size() && seen[i] != code) ++i;
      s.decorated += code.size() > 1 && i < seen.size() ? std::string(1, static_cast<char>('0' + i)) : code;
      if (code.size() > 1 && i == seen.size() && seen.size() < 10) seen.push_back(code);
      s.undecorated += std::string(text) + ",";
    };
    (add(Type<A>::code, Type<A>::text), ...);
    if constexpr (sizeof...(A) == 0) {
      s.decorated += "XZ";
      s.undecorated += "void)";
    } else {
      s.decorated += "@Z";
      s.undecorated.back() = ')';
    }
    return s;
  }
};

// Declared name of each export -> its signature.
inline std::map<std::string, Signature> DeclaredExports() {
  return {
      {"ResetStats0", Declared<ResetStats0Fn>::Of("ResetStats0")},
      {"AddData0", Declared<QsoDataFn>::Of("AddData0")},
      {"RemoveData0", Declared<QsoDataFn>::Of("RemoveData0")},
      {"GetResult0", Declared<GetResult0Fn>::Of("GetResult0")},
      {"CheckCallFunc0", Declared<CheckCall0Fn>::Of("CheckCallFunc0")},
      {"StatsGetExchgCount0", Declared<GetExchgCount0Fn>::Of("StatsGetExchgCount0")},
      {"StatsIsValidExchg0", Declared<IsValidExchg0Fn>::Of("StatsIsValidExchg0")},
      {"SetupSet0", Declared<SetupSet0Fn>::Of("SetupSet0")},
      {"GetNumberOfSets", Declared<GetNumberOfSetsFn>::Of("GetNumberOfSets")},
      {"GetSetName", Declared<GetSetNameFn>::Of("GetSetName")},
  };
}

}  // namespace abi_test
