// The text rules every part of zelta shares: blanks, ASCII letter case, digits,
// and the file name the plug-in makes of a call sign. Portable, no OS services;
// bytes above 0x7F are left as they are (they may be UTF-8 or Windows-1251).
#pragma once

#include <string>
#include <string_view>

namespace text {

// IsBlank(), TrimBlanks()
// Whether a byte is a blank (space, tab, CR, LF, vertical tab, form feed), and
// the text without blanks at either end; a text of blanks only gives an empty text.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);

// AsciiUpper(), AsciiLower()
// The text with ASCII letters only made upper or lower case.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

// EqualsIgnoringCase()
// Whether the two texts are equal when ASCII letters are compared without case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// AllDigits()
// Whether the text is one or more of the digits 0 to 9; an empty text is not.
bool AllDigits(std::string_view text);

// AppendUtf8()
// Appends the code point `point` (at most U+10FFFF) to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t point);

}  // namespace text
