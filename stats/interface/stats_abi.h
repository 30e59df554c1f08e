// The plug-in's calling interface as a host sees it: the ten exports with their
// complete parameter lists, as function pointer types for a host that finds them
// by name (the stand-in host and the ABI tests).
#pragma once

#include "stats/state/ole_date_time.h"

extern "C" {

using ResetStats0Fn = int (*)(const char*, int, const char*, COleDateTime*, COleDateTime*,
                              const char*, const char*, const char*, const char*, const char*,
                              const char*, const char*, const char*, const char*, const char*,
                              int, int, int, double, double, const char*, const char*,
                              const char*);

// AddData0 and RemoveData0 share one parameter list of 33 arguments.
using QsoDataFn = int (*)(const char*, const char*, COleDateTime*, COleDateTime*, COleDateTime*,
                          COleDateTime*, unsigned int, unsigned int, const char*, const char*,
                          const char*, const char*, const char*, const char*, const char*,
                          const char*, const char*, const char*, const char*, const char*,
                          const char*, const char*, const char*, int, int, int, double, double,
                          const char*, const char*, const char*, const char*, const char*);

using GetResult0Fn = const char* (*)(int*);

using CheckCall0Fn = int (*)(const char*, unsigned int, unsigned int, const char*, const char*,
                             const char*, const char*, const char*, const char*, const char*,
                             const char*, const char*, const char*, const char*, int, int, int,
                             double, double, const char*, const char*, const char*, const char*,
                             const char*, const char*, const char*, char*, char*);

using GetExchgCount0Fn = int (*)(const char*, const char*, const char*);
using IsValidExchg0Fn = int (*)(const char*, const char*, const char*, const char*, int, int,
                                int);
using SetupSet0Fn = void (*)(void);
using GetNumberOfSetsFn = int (*)(void);
using GetSetNameFn = const char* (*)(int);

}  // extern "C"
