#include <gtest/gtest.h>

#include "stats/settings/line_breaks.h"
#include "stats/settings/replace_all.h"
#include "stats/settings/settings_store.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;

constexpr char kSettingsPath[] = "Plugins/QOLEB.ini";

// A file shared with the sibling plug-in: its keys around ours, its own section
// before and after, in the form both profile implementations write.
constexpr char kSharedFile[] =
    "[Sibling]\r\nPort=COM3\r\n"
    "[Settings]\r\nMode=1\r\nOperators=Q1ABC Q1XYZ\r\nName=Anna Berzina\r\n"
    "Address=Main St 1<CR><LF>LV-1001 Riga\r\nClaimed=1234\r\nLocation=DX\r\n"
    "Email=anna@example.org\r\nClub=Radio Club\r\nSoapBox=Fine<LF>day<cr><lf>x\r\nRig=FT-1000\r\n"
    "[After]\r\nKeep=yes\r\n";

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlapOrRescanning) {
  const char* const cases[][4] = {
      // source, find, replacement, result
      // The leftmost occurrence wins; inserted text is never searched again; case counts;
      // an empty find text must not loop forever.
      {"aaa", "aa", "x", "xa"}, {"ab", "a", "aa", "aab"}, {"<CR>", "<CR>", "\r\n<CR>", "\r\n<CR>"},
      {"xax", "x", "", "a"}, {"<cr><CR>", "<CR>", "!", "<cr>!"}, {"abc", "", "x", "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
}

TEST(LineBreaks, EveryBreakBecomesAnUpperCaseTokenAndBack) {
  // A lone CR and a lone LF each get their own token.
  EXPECT_EQ(EncodeLineBreaks("a\r\nb\rc\n"), "a<CR><LF>b<CR>c<LF>");
  EXPECT_EQ(DecodeLineBreaks("a<CR><LF>b<CR>c<LF>"), "a\r\nb\rc\n");
  // Lower-case letters and half a token are no token; typed tokens are not escaped.
  EXPECT_EQ(DecodeLineBreaks("a<cr><lf>b<Cr><CR<LF>"), "a<cr><lf>b<Cr><CR\n");
  EXPECT_EQ(EncodeLineBreaks("<LF>"), "<LF>");
}

TEST(LoadEntrantDetails, ReadsOurKeysOrTheirDefaults) {
  // Without a settings file, then from the shared file. The call sign is kept as
  // given; the default of "Operators" is the own call without its trailing
  // blanks, as the profile functions return a default; "Contest" is never read
  // and the categories of an earlier run are reset.
  const char* const expected[] = {
      "[ Q1ABC/P ][Q1ABC_P][ Q1ABC/P][][][][][][][][ZELTA-CUP][SINGLE-OP][ALL][SSB][HIGH]",
      "[ Q1ABC/P ][Q1ABC_P][Q1ABC Q1XYZ][Anna Berzina][Main St 1\r\nLV-1001 Riga][1234][DX]"
      "[anna@example.org][Radio Club][Fine\nday<cr><lf>x][ZELTA-CUP][SINGLE-OP][ALL][SSB][HIGH]"};
  for (const bool withFile : {false, true}) {
    ScopedWorkDir dir;
    if (withFile) testing_support::WriteFileBytes(kSettingsPath, kSharedFile);
    EntrantDetails d;
    std::string* const fields[] = {&d.callsign, &d.fileStem, &d.operators, &d.name, &d.address,
                                   &d.claimed, &d.location, &d.email, &d.club, &d.soapbox, &d.contest,
                                   &d.categoryOperator, &d.categoryBand, &d.categoryMode, &d.categoryPower};
    for (std::string* f : fields) *f = "earlier run";
    d.qsoLines = {"kept\r\n"};
    LoadEntrantDetails(d, " Q1ABC/P ");
    std::string loaded;
    for (const std::string* f : fields) loaded += "[" + *f + "]";
    EXPECT_EQ(loaded, expected[withFile]);
    EXPECT_EQ(d.qsoLines.size(), 1u) << "loading must not touch the QSO lines";
    EXPECT_EQ(std::filesystem::exists("Plugins"), withFile) << "loading must not create anything";
  }
}

TEST(SaveEntrantDetails, WritesOurKeysAndKeepsEverythingElse) {
  ScopedWorkDir dir;
  testing_support::WriteFileBytes(kSettingsPath, kSharedFile);
  EntrantDetails details;
  LoadEntrantDetails(details, "Q1ABC");
  // Saving what was loaded writes the same stored texts: the file stays as it
  // was but for "Contest", added at the end of our section. Changed values
  // replace ours only; the claimed score and the categories are never written.
  details.name = "Janis";
  details.address = "Line 1\r\n<CR>";
  details.claimed = "999";
  details.categoryPower = "QRP";
  SaveEntrantDetails(details);
  std::string expected = kSharedFile;
  expected.insert(expected.find("[After]"), "Contest=ZELTA-CUP\r\n");
  expected.replace(expected.find("Anna Berzina"), 12, "Janis");
  expected.replace(expected.find("Main St 1<CR><LF>LV-1001 Riga"), 29, "Line 1<CR><LF><CR>");
  EXPECT_EQ(ReadFileBytes(kSettingsPath), expected);
  // A typed token is stored as typed and becomes a break at the next load.
  LoadEntrantDetails(details, "Q1ABC");
  EXPECT_EQ(details.address, "Line 1\r\n\r");

  // Into a new file the keys go in their order.
  std::filesystem::remove(kSettingsPath);
  LoadEntrantDetails(details, "Q1ABC");
  // A break in a field of one line would start a line of its own in the file.
  details.name = "Anna\r\n[Sibling]";
  details.club = "a\nb";
  SaveEntrantDetails(details);
  EXPECT_EQ(ReadFileBytes(kSettingsPath),
            "[Settings]\r\nOperators=Q1ABC\r\nName=Anna  [Sibling]\r\nAddress=\r\nLocation=\r\n"
            "Contest=ZELTA-CUP\r\nEmail=\r\nClub=a b\r\nSoapBox=\r\n");
}

}  // namespace

}  // namespace stats
