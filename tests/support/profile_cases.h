// Reads and writes of settings files with what Windows does for them: run against
// the portable rules on bytes, and through platform/profile.h on real files on both
// sides (under Wine, against the real API).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testing_support {

struct ProfileReadCase {
  std::string file;
  const char* section;
  const char* key;
  std::string expected;
  // Whether Wine's API agrees with Windows: not on an empty section name (it finds
  // the lines before the first header), a UTF-8 byte order mark (honoured), a NUL
  // (ends the value), a quoted default (stripped) or one of blanks (one is kept).
  bool wineAgrees = true;
  const char* defaultValue = "<default>";
  std::size_t bufferSize = 10000;
};

inline const std::vector<ProfileReadCase>& ProfileReadCases() {
  const std::string settings =
      "top=before any header\r\n[ Settings ]\r\n  Name  =   Joe Bloggs   \r\nC=val ;x\r\n"
      "k4=a=b\r\nEmpty=\r\ndup=first\r\nDUP=second\r\n[settings]\r\nonly2=yes\r\n"
      "[Other] ; x\r\no=1\r\n";
  const std::string quotes =
      "[Q]\r\na=\"quoted\"\r\nb='single'\r\nc=\" lead\"\r\nd=\"\"dbl\"\"\r\ne=\"a\" b\"\r\n"
      "f=\"open\r\ng=\"\r\nh=x\"y\"\r\ni=\"mixed'\r\nj=\"\"\r\n";
  const std::string cut = "[S]\r\nName=Joe Bloggs\r\nLong=" + std::string(12000, 'x') + "\r\n";
  const char* d = "<default>";
  static const std::vector<ProfileReadCase> cases = {
      // Names match without regard to case and to the caller's blanks; a ';' or a
      // second '=' after the first '=' is part of the value; an empty key is no default.
      {settings, "  SETTINGS  ", " name ", "Joe Bloggs"}, {settings, "Settings", "C", "val ;x"},
      {settings, "Settings", "k4", "a=b"}, {settings, "Settings", "Empty", ""},
      // The first key of a name wins; a later section of the same name is not searched.
      {settings, "Settings", "dup", "first"}, {settings, "Settings", "only2", d},
      // Lines before the first header belong to no section; text after ']' is no name.
      {settings, "Settings", "top", d}, {settings, "Other", "o", "1"},
      // An empty section or key name finds nothing.
      {settings, "", "top", d, false}, {settings, "Settings", "  ", d},
      // LF only, CR only and mixed line ends, blank lines and blanks of every kind.
      {"[S]\na=1\nb=2\n", "S", "b", "2"}, {"[S]\ra=1\rb=2", "S", "b", "2"},
      {"\r\n\r\n[S]\r\r\n\n\t\v\f\r\nb=2", "S", "b", "2"}, {"\t[S]\t\r\n\tb\t=\t2\t\r\n", "S", "b", "2"},
      // Only a line starting with ';' is a comment; a line without '=' is no key.
      {"[S]\r\n;Name=x\r\n", "S", "Name", d}, {"[S]\r\n  ; Name=x\r\n", "S", ";Name", d}, {"[S]\r\nName\r\n", "S", "Name", d},
      // A '[' line without ']' is an ordinary line; the name runs to the last ']'.
      {"[S]\r\n[T\r\nk=1\r\n", "S", "k", "1"}, {"[a]b]\r\nk=1\r\n", "a]b", "k", "1"},
      // A UTF-8 byte order mark is part of the first line, which is then no header;
      // a UTF-16 file is not understood; NUL and other control bytes are ordinary.
      {"\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", d, false},
      {std::string("\xFF\xFE[\0S\0]\0", 8), "S", "k", d},
      {std::string("\0\x1A\r\n[S]\r\nk=a\0b\r\n", 15), "S", "k", std::string("a\0b", 3), false},
      // One outer pair of matching quotes goes; quoting keeps a leading blank.
      {quotes, "Q", "a", "quoted"}, {quotes, "Q", "b", "single"}, {quotes, "Q", "c", " lead"},
      {quotes, "Q", "d", "\"dbl\""}, {quotes, "Q", "e", "a\" b"}, {quotes, "Q", "f", "\"open"},
      {quotes, "Q", "g", "\""}, {quotes, "Q", "h", "x\"y\""}, {quotes, "Q", "i", "\"mixed'"}, {quotes, "Q", "j", ""},
      // At most bufferSize-1 characters; the cut text is not trimmed again.
      {cut, "S", "Long", std::string(9999, 'x')}, {cut, "S", "Name", "Joe ", true, "", 5},
      {cut, "S", "Name", "", true, "", 1}, {cut, "S", "Name", "", true, "", 0},
      // The default loses trailing spaces only, keeps a trailing TAB and its quotes.
      {cut, "S", "Missing", "  def", true, "  def  "}, {cut, "S", "Missing", "def\t", true, "def\t"},
      {cut, "S", "Missing", "\"def\"", false, "\"def\""}, {cut, "S", "Missing", "", false, "    "},
      {cut, "S", "Missing", "def", true, "default", 4}, {"", "S", "Name", "default", true, "default"},
  };
  return cases;
}

struct ProfileWriteCase {
  std::string file;
  const char* section;
  const char* key;
  std::string value;
  std::string expected;  // the file's bytes afterwards
  // Whether Wine writes these bytes too: it rewrites the whole file (blank lines and
  // comments dropped, "k = v" respaced, LF made CR LF) where Windows edits in place.
  bool wineSameBytes = false;
};

inline const std::vector<ProfileWriteCase>& ProfileWriteCases() {
  const std::string two = "; two plug-ins\n[Other]\r\nName=keep\r\n\r\n"
                          "[settings]\n  Name = Old Value \nCall=OLD\rEmpty=\r\n";
  const std::string head = "; two plug-ins\n[Other]\r\nName=keep\r\n\r\n[settings]\n";
  const std::string sections = "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\n[A]\r\nlater=1\r\n";
  const std::string canonical = "[Other]\r\nName=keep\r\n[Settings]\r\nName=Joe\r\n";
  std::string high;
  for (int c = 0x80; c <= 0xFF; ++c) high.push_back(static_cast<char>(c));
  static const std::vector<ProfileWriteCase> cases = {
      // An existing key keeps its spelling, blanks and line end; nothing else moves.
      {two, "Settings", "NAME", "Jim", head + "  Name = Jim \nCall=OLD\rEmpty=\r\n"},
      {two, "settings", "call", high, head + "  Name = Old Value \nCall=" + high + "\rEmpty=\r\n"},
      {two, "settings", "Empty", "now", head + "  Name = Old Value \nCall=OLD\rEmpty=now\r\n"},
      {canonical, "settings", "NAME", "Jim", "[Other]\r\nName=keep\r\n[Settings]\r\nName=Jim\r\n", true},
      // The stored value again, or an empty one over an empty one, changes nothing.
      {two, "settings", "Name", "Old Value", two, true},
      {two, "settings", "Empty", "", two, true},
      // A value with its own outer blanks replaces the old blanks.
      {"[S]\r\nk = v \r\n", "S", "k", " x ", "[S]\r\nk = x \r\n"},
      // A missing key goes after the last non-blank line of the first section of its name.
      {sections, "a", "New", "v", "[A]\r\na=1\r\n; note\r\nNew=v\r\n\r\n\r\n[B]\n[A]\r\nlater=1\r\n"},
      {sections, "B", "k", "", "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\nk=\r\n[A]\r\nlater=1\r\n"},
      {"[A]\na=1\n\n \n", "A", "b", "2", "[A]\na=1\nb=2\r\n\n \n"},
      {"[S]\r\n[s]\r\nK=old\r\n", "S", "K", "V", "[S]\r\nK=V\r\n[s]\r\nK=old\r\n"},
      {canonical, "Other", "Soapbox", "a<CR>b", "[Other]\r\nName=keep\r\nSoapbox=a<CR>b\r\n[Settings]\r\nName=Joe\r\n", true},
      // Only a key line of that name counts as present.
      {"[A]\r\n;b=1\r\nb\r\n", "A", "b", "2", "[A]\r\n;b=1\r\nb\r\nb=2\r\n"},
      // A last line without a break gets one first.
      {"[A]\r\na=1", "A", "b", "2", "[A]\r\na=1\r\nb=2\r\n"},
      {"[A]", "A", "b", "2", "[A]\r\nb=2\r\n"},
      {"[A]\r\na=1", "S", "K", "V", "[A]\r\na=1\r\n[S]\r\nK=V\r\n"},
      // A missing section goes at the end, names trimmed (Wine keeps a trailing blank);
      // a missing file is made.
      {"", " S ", " K ", "", "[S]\r\nK=\r\n"}, {"", "S", "K", "V", "[S]\r\nK=V\r\n", true},
      {canonical, "New", "Key", "v;x=y", canonical + "[New]\r\nKey=v;x=y\r\n", true},
      {"[A]\na=1\n\n", "S", "K", "V", "[A]\na=1\n\n[S]\r\nK=V\r\n"},
      {"K=top\r\n", "S", "K", "V", "K=top\r\n[S]\r\nK=V\r\n"},  // no section before the first
  };
  return cases;
}

}  // namespace testing_support
