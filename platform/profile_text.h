// The private-profile (INI) rules on the bytes of a file: looking a value up and
// producing the file's new bytes for a write. Pure functions, no file access: the
// POSIX side of profile.h is built on them, and any bytes at all are valid input.
//
// The file is bytes in the ANSI code page, never converted. Lines end at CR, LF or
// CR LF; each line is trimmed of blanks (space, TAB, VT, FF) before it is read.
// A trimmed line is a section header when it starts with '[' and holds a ']' (the
// name is the text up to the last ']', trimmed), a comment when it starts with ';',
// and a key when it holds '=' (key and value split at the first '=', both trimmed).
// Lines before the first header belong to no section. Names match without regard
// to ASCII case; only the first section of a name and its first key of a name count.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// FindProfileValue()
// The value of `key` in the first section named `section` of a file holding
// `fileBytes`: trimmed, with one outer pair of matching '"' or '\'' removed from a
// value of at least two characters; "" for `Key=`. Blanks around `section` and
// `key` are ignored. std::nullopt when the section or the key is missing, when
// either name is empty, and for a UTF-16 file (it starts with FF FE), which this
// byte reader does not understand.
std::optional<std::string> FindProfileValue(std::string_view fileBytes, std::string_view section,
                                            std::string_view key);

// ProfileDefaultString()
// What a read returns when the value is missing: `defaultValue` less its trailing
// spaces (0x20 only; a trailing TAB stays), cut to `bufferSize` - 1 characters.
std::string ProfileDefaultString(std::string_view defaultValue, std::size_t bufferSize);

// ProfileStringFromBytes()
// The complete read of one value from a file holding `fileBytes`, as the Win32
// GetPrivateProfileStringA returns it into a buffer of `bufferSize` characters:
// the found value cut to `bufferSize` - 1 characters (the cut is not trimmed
// again), or ProfileDefaultString() when it is missing. bufferSize 0 gives "".
// Every input is valid and nothing is shared between calls, so this is the entry
// point for fuzzing the reader (ProfileBytesWithValue the one for the writer).
std::string ProfileStringFromBytes(std::string_view fileBytes, std::string_view section,
                                   std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize);

// IsWritableProfileEntry()
// Whether `value` can be stored under `key` of `section` and read back as one
// value of that key: both names non-empty after trimming, no CR, LF or NUL in any
// of the three, no '=' in the key and no key starting with ';' or '[' (it would
// become a comment or a header). The value is written verbatim, so its leading and
// trailing blanks and an outer pair of quotes still do not survive a read.
bool IsWritableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value);

// ProfileBytesWithValue()
// The bytes of a file holding `fileBytes` (empty for a missing file) once `key` of
// `section` is set to `value`, editing in place:
// - an existing key (the first of its name in the first section of its name) keeps
//   its line, its spelling, its line end and the blanks around the old value; only
//   the value is replaced; when the stored value already equals `value` the result
//   is `fileBytes` itself;
// - a missing key gets the line "key=value\r\n" after the last non-blank line of
//   that section;
// - a missing section is appended as "[section]\r\nkey=value\r\n", preceded by
//   "\r\n" when the file does not end with a line break.
// Every other byte is kept. Names are written trimmed. std::nullopt when the entry
// is not writable (IsWritableProfileEntry) or the file is UTF-16.
std::optional<std::string> ProfileBytesWithValue(std::string_view fileBytes,
                                                 std::string_view section, std::string_view key,
                                                 std::string_view value);

}  // namespace platform
