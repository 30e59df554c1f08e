// How the exports are made visible. Windows takes them from stats.def; an ELF
// shared library exports what has default visibility (the rest is hidden).
// This is the one place that tells the two apart.
#pragma once

#if defined(_WIN32)
#define STATS_EXPORT
// stats.def names the alias.
#define STATS_EXPORT_ALIAS(aliasName, target)
#else
#define STATS_EXPORT __attribute__((visibility("default")))
// A second symbol for the same function.
#define STATS_EXPORT_ALIAS(aliasName, target) \
  extern "C" STATS_EXPORT decltype(target) aliasName __attribute__((alias(#target)));
#endif
