#include "stats/settings/settings_store.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace stats {

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

TEST(LoadEntrantDetails, ReadsOurKeysOrTheirDefaults) {
  using D = EntrantDetails;
  // field, without a settings file, from the shared file
  const struct {
    std::string D::*field;
    const char* withoutFile;
    const char* fromFile;
  } fields[] = {
      {&D::callsign, " Q1ABC/P ", " Q1ABC/P "},  // kept as given
      {&D::fileStem, "Q1ABC_P", "Q1ABC_P"},
      // The default is the own call with its trailing blanks dropped, as the
      // profile functions return a default.
      {&D::operators, " Q1ABC/P", "Q1ABC Q1XYZ"},
      {&D::name, "", "Anna Berzina"},
      {&D::address, "", "Main St 1\r\nLV-1001 Riga"},
      {&D::claimed, "", "1234"},
      {&D::location, "", "DX"},
      {&D::email, "", "anna@example.org"},
      {&D::club, "", "Radio Club"},
      // A lone "<LF>" is a lone LF; lower-case letters are no token.
      {&D::soapbox, "", "Fine\nday<cr><lf>x"},
      // "Contest" is never read; the categories of an earlier run are reset.
      {&D::contest, "ZELTA-CUP", "ZELTA-CUP"},
      {&D::categoryOperator, "SINGLE-OP", "SINGLE-OP"},
      {&D::categoryBand, "ALL", "ALL"},
      {&D::categoryMode, "SSB", "SSB"},
      {&D::categoryPower, "HIGH", "HIGH"},
  };
  for (const bool withFile : {false, true}) {
    ScopedWorkDir dir;
    if (withFile) WriteFileBytes(kSettingsPath, kSharedFile);
    EntrantDetails details;
    details.qsoLines = {"kept\r\n"};
    for (const auto& f : fields) details.*f.field = "earlier run";
    LoadEntrantDetails(details, " Q1ABC/P ");
    for (const auto& f : fields) {
      EXPECT_EQ(details.*f.field, withFile ? f.fromFile : f.withoutFile) << f.withoutFile;
    }
    EXPECT_EQ(details.qsoLines.size(), 1u) << "loading must not touch the QSO lines";
    EXPECT_EQ(std::filesystem::exists("Plugins"), withFile) << "loading must not create anything";
  }

  // A key present but empty does not take the default; the read buffer holds 9999 characters.
  ScopedWorkDir dir;
  WriteFileBytes(kSettingsPath, "[Settings]\r\nOperators=\r\nName=" + std::string(12000, 'x') + "\r\n");
  EntrantDetails details;
  LoadEntrantDetails(details, "Q1ABC");
  EXPECT_EQ(details.operators, "");
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

}  // namespace stats
