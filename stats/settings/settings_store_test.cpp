#include "stats/settings/settings_store.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

namespace {

constexpr char kSettingsPath[] = "Plugins/QOLEB.ini";

// A file shared with the sibling plug-in: its keys around ours, its own section
// before and after, in the form both profile implementations write.
constexpr char kSharedFile[] =
    "[Sibling]\r\n"
    "Port=COM3\r\n"
    "[Settings]\r\n"
    "Mode=1\r\n"
    "Operators=Q1ABC Q1XYZ\r\n"
    "Name=Anna Berzina\r\n"
    "Address=Main St 1<CR><LF>LV-1001 Riga\r\n"
    "Claimed=1234\r\n"
    "Location=DX\r\n"
    "Email=anna@example.org\r\n"
    "Club=Radio Club\r\n"
    "SoapBox=Fine<LF>day<cr><lf>x\r\n"
    "Rig=FT-1000\r\n"
    "[After]\r\n"
    "Keep=yes\r\n";

}  // namespace

TEST(LoadEntrantDetails, GivesDefaultsWithoutSettingsFile) {
  ScopedWorkDir dir;
  EntrantDetails details;
  details.qsoLines = {"kept\r\n"};
  LoadEntrantDetails(details, " Q1ABC/P ");
  EXPECT_EQ(details.callsign, " Q1ABC/P ") << "the call sign is kept as given";
  EXPECT_EQ(details.fileStem, "Q1ABC_P");
  // The default is the own call with its trailing blanks dropped, as the
  // profile functions return a default.
  EXPECT_EQ(details.operators, " Q1ABC/P");
  EXPECT_EQ(details.name, "");
  EXPECT_EQ(details.address, "");
  EXPECT_EQ(details.claimed, "");
  EXPECT_EQ(details.location, "");
  EXPECT_EQ(details.email, "");
  EXPECT_EQ(details.club, "");
  EXPECT_EQ(details.soapbox, "");
  EXPECT_EQ(details.contest, "ZELTA-CUP");
  EXPECT_EQ(details.categoryOperator, "SINGLE-OP");
  EXPECT_EQ(details.categoryBand, "ALL");
  EXPECT_EQ(details.categoryMode, "SSB");
  EXPECT_EQ(details.categoryPower, "HIGH");
  EXPECT_EQ(details.qsoLines.size(), 1u) << "loading must not touch the QSO lines";
  EXPECT_FALSE(std::filesystem::exists("Plugins")) << "loading must not create anything";
}

TEST(LoadEntrantDetails, ReadsOurKeysAndDecodesLineBreaks) {
  ScopedWorkDir dir;
  WriteFileBytes(kSettingsPath, kSharedFile);
  EntrantDetails details;
  // Values of an earlier run are replaced, the categories reset.
  details.categoryMode = "CW";
  details.contest = "OTHER";
  LoadEntrantDetails(details, "Q1ABC");
  EXPECT_EQ(details.operators, "Q1ABC Q1XYZ");
  EXPECT_EQ(details.name, "Anna Berzina");
  EXPECT_EQ(details.address, "Main St 1\r\nLV-1001 Riga");
  EXPECT_EQ(details.claimed, "1234");
  EXPECT_EQ(details.location, "DX");
  EXPECT_EQ(details.email, "anna@example.org");
  EXPECT_EQ(details.club, "Radio Club");
  // A lone "<LF>" is a lone LF; lower-case letters are no token.
  EXPECT_EQ(details.soapbox, "Fine\nday<cr><lf>x");
  EXPECT_EQ(details.contest, "ZELTA-CUP") << "\"Contest\" is never read";
  EXPECT_EQ(details.categoryMode, "SSB");
}

TEST(LoadEntrantDetails, HandlesEmptyAndOverlongValues) {
  ScopedWorkDir dir;
  const std::string longValue(12000, 'x');
  WriteFileBytes(kSettingsPath, "[Settings]\r\nOperators=\r\nName=" + longValue + "\r\n");
  EntrantDetails details;
  LoadEntrantDetails(details, "Q1ABC");
  // A key that is present but empty does not take the default.
  EXPECT_EQ(details.operators, "");
  // The read buffer holds 9999 characters.
  EXPECT_EQ(details.name, std::string(9999, 'x'));
}

TEST(SaveEntrantDetails, WritesOurKeysAndKeepsEverythingElse) {
  ScopedWorkDir dir;
  WriteFileBytes(kSettingsPath, kSharedFile);
  EntrantDetails details;
  LoadEntrantDetails(details, "Q1ABC");
  // Saving what was loaded writes the same stored texts, so the file stays as it
  // was but for "Contest", which is added at the end of our section.
  SaveEntrantDetails(details);
  std::string expected = kSharedFile;
  expected.insert(expected.find("[After]"), "Contest=ZELTA-CUP\r\n");
  EXPECT_EQ(ReadFileBytes(kSettingsPath), expected);

  // Changed values replace ours only; the claimed score and the categories are
  // never written.
  details.name = "Janis";
  details.address = "Line 1\r\nLine 2\r\n";
  details.soapbox = "<CR>";
  details.claimed = "999";
  details.categoryPower = "QRP";
  SaveEntrantDetails(details);
  std::string changed = expected;
  changed.replace(changed.find("Anna Berzina"), 12, "Janis");
  changed.replace(changed.find("Main St 1<CR><LF>LV-1001 Riga"), 29,
                  "Line 1<CR><LF>Line 2<CR><LF>");
  changed.replace(changed.find("Fine<LF>day<cr><lf>x"), 20, "<CR>");
  EXPECT_EQ(ReadFileBytes(kSettingsPath), changed);

  // A typed token is stored as typed and becomes a break at the next load.
  LoadEntrantDetails(details, "Q1ABC");
  EXPECT_EQ(details.soapbox, "\r");
  EXPECT_EQ(details.address, "Line 1\r\nLine 2\r\n");
}

TEST(SaveEntrantDetails, CreatesKeysInOrderAndKeepsOneLineFieldsOnOneLine) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Plugins");
  EntrantDetails details;
  LoadEntrantDetails(details, "Q1ABC");
  // A break in a field of one line would start a line of its own in the file.
  details.name = "Anna\r\n[Sibling]";
  details.club = "a\nb";
  SaveEntrantDetails(details);
  EXPECT_EQ(ReadFileBytes(kSettingsPath),
            "[Settings]\r\n"
            "Operators=Q1ABC\r\n"
            "Name=Anna  [Sibling]\r\n"
            "Address=\r\n"
            "Location=\r\n"
            "Contest=ZELTA-CUP\r\n"
            "Email=\r\n"
            "Club=a b\r\n"
            "SoapBox=\r\n");
}

TEST(SaveEntrantDetails, FailsSilentlyWithoutPluginsFolder) {
  ScopedWorkDir dir;
  EntrantDetails details;
  LoadEntrantDetails(details, "Q1ABC");
  details.name = "Anna";
  SaveEntrantDetails(details);
  EXPECT_FALSE(std::filesystem::exists("Plugins")) << "a missing folder must not be created";
  EXPECT_EQ(details.name, "Anna") << "the record keeps its values";
}
