// A host that asks for the result from a timer while the plug-in's message box is
// open (as one repainting its score window does) and keeps the text it got: the
// text must stay readable after the request that showed the box has returned.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "stats/interface/stats_abi.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::MakeDate;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

// What the timer did while the box was open.
struct InnerRequest {
  GetResult0Fn getResult = nullptr;
  const char* text = nullptr;
  std::string copy;
} g_inner;

BOOL CALLBACK FindDialogBox(HWND window, LPARAM found) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  // "#32770" is the class of dialog boxes, message boxes among them.
  if (lstrcmpA(className, "#32770") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Runs in the box's message loop on the host's thread: asks for the result once
// the box is there, then presses its OK.
void CALLBACK AskAgainFromInsideTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialogBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not created yet: the next tick looks again
  KillTimer(nullptr, timer);
  int score = 0;
  g_inner.text = g_inner.getResult(&score);
  g_inner.copy = g_inner.text;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class ResultInBoxTest : public testing_support::PluginLibraryTest {};

TEST_F(ResultInBoxTest, TextHandedOutInsideTheMissingListBoxOutlivesTheOuterRequest) {
  ScopedWorkDir dir;
  WriteFileBytes("Plugins/zelta.dom", "Q2AAA\r\n");
  COleDateTime first = MakeDate(2026, 12, 6, 13, 45);
  ASSERT_EQ(Find<ResetStats0Fn>("ResetStats0")("Q1HOST", 0, "Q1ABC", &first, &first, "", "", "",
                                               "", "", "", "", "", "", "", 0, 0, 0, 0.0, 0.0, "",
                                               "", ""),
            1);
  for (const char* call : {"Q2AAA", "Q3BBB"}) {
    ASSERT_EQ(Find<QsoDataFn>("AddData0")("Q1ABC", call, &first, &first, &first, &first, 0,
                                          14025000, "CW", "599", "599", "001", "017", "", "", "",
                                          "", "", "", "", "", "", "", 0, 0, 0, 0.0, 0.0, "", "",
                                          "", "20", ""),
              1);
  }
  // The list goes: the result request shows the missing-list box.
  ASSERT_TRUE(DeleteFileA("Plugins\\zelta.dom"));

  g_inner = InnerRequest();
  g_inner.getResult = Find<GetResult0Fn>("GetResult0");
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, AskAgainFromInsideTheBox);
  ASSERT_NE(timer, 0u);
  int score = 0;
  const std::string outer = g_inner.getResult(&score);
  KillTimer(nullptr, timer);

  ASSERT_NE(g_inner.text, nullptr) << "the timer never found the box open";
  EXPECT_NE(outer.find("Total\t 2\t 4\t"), std::string::npos) << outer;
  EXPECT_EQ(std::string(g_inner.text), g_inner.copy)
      << "the text handed out inside the box was released by the outer request";
  EXPECT_EQ(g_inner.copy, outer);
}

}  // namespace
