// A host that asks for the result from a timer while the plug-in's message box is
// open, and keeps the text it got, as one repainting its score window does.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "stats/interface/stats_abi.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_support.h"

namespace {

GetResult0Fn g_getResult = nullptr;
const char* g_innerText = nullptr;  // what the request from inside the box returned
std::string g_innerCopy;

// Runs in the box's message loop on the host's thread: once the box is up, asks
// for the result and presses OK.
void CALLBACK AskFromInsideTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowA("#32770", nullptr);  // the class of message boxes
  if (box == nullptr) return;                 // not up yet: the next tick looks again
  KillTimer(nullptr, timer);
  int score = 0;
  g_innerText = g_getResult(&score);
  g_innerCopy = g_innerText;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

using ResultInBoxTest = testing_support::PluginLibraryTest;

TEST_F(ResultInBoxTest, TextHandedOutInsideTheBoxOutlivesTheRequestThatShowedIt) {
  testing_support::ScopedWorkDir dir;
  testing_support::WriteFileBytes("Plugins/zelta.dom", "Q2AAA\r\n");
  COleDateTime t = testing_support::MakeDate(2026, 12, 6, 13, 45);
  Find<ResetStats0Fn>("ResetStats0")("Q1HOST", 0, "Q1ABC", &t, &t, "", "", "", "", "", "", "", "",
                                     "", "", 0, 0, 0, 0.0, 0.0, "", "", "");
  ASSERT_EQ(Find<QsoDataFn>("AddData0")("Q1ABC", "Q2AAA", &t, &t, &t, &t, 0, 14025000, "CW",
                                        "599", "599", "001", "017", "", "", "", "", "", "", "",
                                        "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "", "20", ""),
            1);
  // Without the list, the request shows the missing-list box.
  ASSERT_TRUE(DeleteFileA("Plugins\\zelta.dom"));
  g_getResult = Find<GetResult0Fn>("GetResult0");
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, AskFromInsideTheBox);
  int score = 0;
  const std::string outer = g_getResult(&score);
  KillTimer(nullptr, timer);
  ASSERT_NE(g_innerText, nullptr) << "the timer never found the box open";
  EXPECT_EQ(std::string(g_innerText), g_innerCopy) << "released by the outer request";
  EXPECT_EQ(outer, g_innerCopy);
}

}  // namespace
