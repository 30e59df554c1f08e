#include "stats/settings/replace_all.h"

#include <gtest/gtest.h>

#include "stats/settings/line_breaks.h"

namespace stats {

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlapOrRescanning) {
  const char* const cases[][4] = {
      // source, find, replacement, result
      {"a/b/c", "/", "_", "a_b_c"},
      {"aaa", "aa", "x", "xa"},  // the leftmost occurrence wins
      {"ab", "a", "aa", "aab"},  // inserted text is never searched again
      {"<CR>", "<CR>", "\r\n<CR>", "\r\n<CR>"},
      {"xax", "x", "yy", "yyayy"},
      {"xx", "x", "", ""},
      {"<cr><CR>", "<CR>", "!", "<cr>!"},  // case counts
      {"\xD3\xF7/\xE0", "/", "_", "\xD3\xF7_\xE0"},
      {"", "a", "b", ""},
      {"abc", "x", "y", "abc"},
      {"abc", "", "x", "abc"},  // an empty find text must not loop forever
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
}

TEST(LineBreaks, EveryBreakBecomesAnUpperCaseTokenAndBack) {
  const char* const cases[][2] = {
      // text, stored form
      {"Main St 1\r\nRiga", "Main St 1<CR><LF>Riga"},
      {"a\rb\nc", "a<CR>b<LF>c"},  // a lone CR and a lone LF each get their own token
      {"end\r\n", "end<CR><LF>"},
      {"\r\n\r\n", "<CR><LF><CR><LF>"},
      {"", ""},
      {"one line", "one line"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeLineBreaks(c[0]), c[1]);
    EXPECT_EQ(DecodeLineBreaks(c[1]), c[0]);
  }
  // Lower-case letters and half a token are no token; typed tokens are not escaped.
  EXPECT_EQ(DecodeLineBreaks("a<cr><lf>b<Cr>"), "a<cr><lf>b<Cr>");
  EXPECT_EQ(DecodeLineBreaks("<CR<LF>"), "<CR\n");
  EXPECT_EQ(EncodeLineBreaks("<LF>"), "<LF>");
}

}  // namespace stats
