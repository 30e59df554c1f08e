// Private profile (INI) files: one value of one key of one section at a time.
//
// Both sides read and write a file identically: the Win32 side is the real
// GetPrivateProfileStringA / WritePrivateProfileStringA; the POSIX side follows
// the same rules byte for byte, so a settings file moves freely between the two.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// ReadProfileString()
// The value of `key` in the first section named `section` of `file` (names
// compared without regard to ASCII case, blanks around them ignored), as
// GetPrivateProfileStringA returns it into a buffer of `bufferSize` characters:
// trimmed, one pair of outer quotes removed, at most bufferSize-1 characters.
// A missing file, section or key gives `defaultValue` less its trailing blanks.
// `file` uses '\' between folders and is relative to the current directory.
std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, std::size_t bufferSize,
                              const std::string& file);

// WriteProfileString()
// Sets `key` of `section` to `value` (written verbatim), creating the file, the
// section or the key where they are missing and leaving every other byte of the
// file as it was; writing the value already stored leaves the file untouched.
// Returns false, with the file unchanged, when the file cannot be written (for
// instance a missing folder: none is created) and when the entry would not read
// back as one value (IsWritableProfileEntry in profile_text.h: a CR, LF or NUL in
// any of the three texts, an empty name, a key holding '=').
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

}  // namespace platform
