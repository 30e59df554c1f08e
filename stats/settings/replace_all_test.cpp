#include "stats/settings/replace_all.h"

#include <gtest/gtest.h>

#include "stats/settings/line_breaks.h"

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlap) {
  EXPECT_EQ(ReplaceAll("a/b/c", "/", "_"), "a_b_c");
  // Overlapping occurrences: the leftmost wins, the rest of it is not reused.
  EXPECT_EQ(ReplaceAll("aaa", "aa", "x"), "xa");
  // Inserted text is never searched again.
  EXPECT_EQ(ReplaceAll("ab", "a", "aa"), "aab");
  EXPECT_EQ(ReplaceAll("<CR>", "<CR>", "\r\n<CR>"), "\r\n<CR>");
  // Occurrences at both ends, and a text made only of them.
  EXPECT_EQ(ReplaceAll("xax", "x", "yy"), "yyayy");
  EXPECT_EQ(ReplaceAll("xx", "x", ""), "");
  // Case counts, bytes above 0x7F are ordinary bytes.
  EXPECT_EQ(ReplaceAll("<cr><CR>", "<CR>", "!"), "<cr>!");
  EXPECT_EQ(ReplaceAll("\xD3\xF7/\xE0", "/", "_"), "\xD3\xF7_\xE0");
}

TEST(ReplaceAll, LeavesSourceAloneWhenNothingToDo) {
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "b", "b"), "abc");
  // An empty find text must not loop forever.
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(LineBreaks, EncodesEveryBreakAsTokens) {
  EXPECT_EQ(EncodeLineBreaks("Main St 1\r\nRiga"), "Main St 1<CR><LF>Riga");
  // A lone CR and a lone LF each get their own token.
  EXPECT_EQ(EncodeLineBreaks("a\rb\nc"), "a<CR>b<LF>c");
  // A text ending with a line break keeps it.
  EXPECT_EQ(EncodeLineBreaks("end\r\n"), "end<CR><LF>");
  EXPECT_EQ(EncodeLineBreaks("one line"), "one line");
}

TEST(LineBreaks, DecodesUpperCaseTokensOnly) {
  EXPECT_EQ(DecodeLineBreaks("Main St 1<CR><LF>Riga"), "Main St 1\r\nRiga");
  EXPECT_EQ(DecodeLineBreaks("a<LF>b"), "a\nb");
  // Lower-case letters are no token.
  EXPECT_EQ(DecodeLineBreaks("a<cr><lf>b<Cr>"), "a<cr><lf>b<Cr>");
  // Tokens typed by the operator are not escaped: they become breaks.
  EXPECT_EQ(DecodeLineBreaks("<CR><CR>"), "\r\r");
  // Half a token stays as it is.
  EXPECT_EQ(DecodeLineBreaks("<CR<LF>"), "<CR\n");
}

TEST(LineBreaks, RoundTripsTextForm) {
  for (const std::string text : {"", "x", "a\r\nb\r\n", "\r\n\r\n", "a\nb\rc", "<LF>"}) {
    const std::string stored = EncodeLineBreaks(text);
    EXPECT_EQ(stored.find_first_of("\r\n"), std::string::npos) << "stored form holds a break";
    if (text != "<LF>") EXPECT_EQ(DecodeLineBreaks(stored), text);
  }
  // A stored value saved back unchanged gives the same stored text.
  EXPECT_EQ(EncodeLineBreaks(DecodeLineBreaks("a<CR><LF>b")), "a<CR><LF>b");
}
