// Reads of settings files with what Windows returns for them: run against the
// portable reader on bytes, and through platform::ReadProfileString on real
// files on both sides (under Wine, against the real API).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testing_support {

struct ProfileReadCase {
  std::string file;
  const char* section;
  const char* key;
  const char* defaultValue;
  std::size_t bufferSize;
  std::string expected;
  // Whether Wine's API agrees with Windows here. It does not on an empty section
  // name (it finds the lines before the first header), a UTF-8 byte order mark
  // (honoured), a NUL (ends the value), quotes around the default (stripped) or
  // a default of blanks only (one is kept).
  bool wineAgrees;
};

inline const std::vector<ProfileReadCase>& ProfileReadCases() {
  const std::string settings =
      "top=before any header\r\n"
      "[ Settings ]\r\n"
      "  Name  =   Joe Bloggs   \r\n"
      "C=val ;x\r\n"
      "k4=a=b\r\n"
      "Empty=\r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "[settings]\r\n"
      "only2=yes\r\n"
      "[Other] ; x\r\n"
      "o=1\r\n";
  const std::string quotes =
      "[Q]\r\na=\"quoted\"\r\nb='single'\r\nc=\" lead\"\r\nd=\"\"dbl\"\"\r\ne=\"a\" b\"\r\n"
      "f=\"open\r\ng=\"\r\nh=x\"y\"\r\ni=\"mixed'\r\nj=\"\"\r\n";
  const std::string cut = "[S]\r\nName=Joe Bloggs\r\nLong=" + std::string(12000, 'x') + "\r\n";
  const char* d = "<default>";
  static const std::vector<ProfileReadCase> cases = {
      {settings, "Settings", "Name", d, 10000, "Joe Bloggs", true},
      // Names match without regard to case and to the caller's blanks.
      {settings, "  SETTINGS  ", " name ", d, 10000, "Joe Bloggs", true},
      // A ';' or a second '=' after the first '=' is part of the value.
      {settings, "Settings", "C", d, 10000, "val ;x", true},
      {settings, "Settings", "k4", d, 10000, "a=b", true},
      // A present but empty key never takes the default.
      {settings, "Settings", "Empty", d, 10000, "", true},
      // The first key of a name wins; a later section of the same name is not searched.
      {settings, "Settings", "dup", d, 10000, "first", true},
      {settings, "Settings", "only2", d, 10000, d, true},
      // Lines before the first header belong to no section.
      {settings, "Settings", "top", d, 10000, d, true},
      // Text after the closing bracket does not belong to the name.
      {settings, "Other", "o", d, 10000, "1", true},
      // An empty section or key name finds nothing.
      {settings, "", "top", d, 10000, d, false},
      {settings, "Settings", "  ", d, 10000, d, true},
      // LF only, CR only and mixed line ends, blank lines and blanks of every kind.
      {"[S]\na=1\nb=2\n", "S", "b", d, 10000, "2", true},
      {"[S]\ra=1\rb=2", "S", "b", d, 10000, "2", true},
      {"\r\n\r\n[S]\r\r\n\n\t\v\f\r\nb=2", "S", "b", d, 10000, "2", true},
      {"\t[S]\t\r\n\tb\t=\t2\t\r\n", "S", "b", d, 10000, "2", true},
      // Only a line starting with ';' is a comment; a line without '=' is no key.
      {"[S]\r\n;Name=x\r\n", "S", "Name", d, 10000, d, true},
      {"[S]\r\n  ; Name=x\r\n", "S", ";Name", d, 10000, d, true},
      {"[S]\r\nName\r\n", "S", "Name", d, 10000, d, true},
      // A '[' line without ']' is an ordinary line; the name runs to the last ']'.
      {"[S]\r\n[T\r\nk=1\r\n", "S", "k", d, 10000, "1", true},
      {"[a]b]\r\nk=1\r\n", "a]b", "k", d, 10000, "1", true},
      // A UTF-8 byte order mark is part of the first line, which is then no header;
      // a UTF-16 file is not understood; NUL and other control bytes are ordinary.
      {"\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", d, 10000, d, false},
      {std::string("\xFF\xFE[\0S\0]\0", 8), "S", "k", d, 10000, d, true},
      {std::string("\0\x1A\r\n[S]\r\nk=a\0b\r\n", 15), "S", "k", d, 10000,
       std::string("a\0b", 3), false},
      // One outer pair of matching quotes goes; quoting keeps a leading blank.
      {quotes, "Q", "a", d, 10000, "quoted", true},
      {quotes, "Q", "b", d, 10000, "single", true},
      {quotes, "Q", "c", d, 10000, " lead", true},
      {quotes, "Q", "d", d, 10000, "\"dbl\"", true},
      {quotes, "Q", "e", d, 10000, "a\" b", true},
      {quotes, "Q", "f", d, 10000, "\"open", true},
      {quotes, "Q", "g", d, 10000, "\"", true},
      {quotes, "Q", "h", d, 10000, "x\"y\"", true},
      {quotes, "Q", "i", d, 10000, "\"mixed'", true},
      {quotes, "Q", "j", d, 10000, "", true},
      // At most bufferSize-1 characters; the cut text is not trimmed again.
      {cut, "S", "Long", d, 10000, std::string(9999, 'x'), true},
      {cut, "S", "Name", "", 5, "Joe ", true},
      {cut, "S", "Name", "", 1, "", true},
      {cut, "S", "Name", "", 0, "", true},
      // The default loses trailing spaces only, keeps a trailing TAB and its quotes.
      {cut, "S", "Missing", "  def  ", 10000, "  def", true},
      {cut, "S", "Missing", "def\t", 10000, "def\t", true},
      {cut, "S", "Missing", "\"def\"", 10000, "\"def\"", false},
      {cut, "S", "Missing", "    ", 10000, "", false},
      {cut, "S", "Missing", "default", 4, "def", true},
      {"", "S", "Name", "default", 10000, "default", true},
  };
  return cases;
}

}  // namespace testing_support
