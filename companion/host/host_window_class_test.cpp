// Recognising the host's main window by its class name.
#include "companion/host/host_window_class.h"

#include <gtest/gtest.h>

namespace companion {
namespace {

TEST(IsHostWindowClass, MatchesTheFirstEighteenCharactersExactly) {
  EXPECT_TRUE(IsHostWindowClass("Afx:400000:b:10011"));  // exactly the prefix
  EXPECT_TRUE(IsHostWindowClass("Afx:400000:b:10011:6:1c05a3"));
  // Case matters; one character short, or different in the last one.
  for (const char* name : {"afx:400000:b:10011:6:1c05a3", "AFX:400000:B:10011", "Afx:400000:b:1001",
                           "Afx:400000:b:10012:6:0", "", " Afx:400000:b:10011"}) {
    EXPECT_FALSE(IsHostWindowClass(name)) << name;
  }
}

}  // namespace
}  // namespace companion
