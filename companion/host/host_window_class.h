// Recognising the host's main window by the beginning of its class name.
#pragma once

namespace companion {

// The first 18 characters of the class name of the host's main window.
inline constexpr char kHostWindowClassPrefix[] = "Afx:400000:b:10011";

// IsHostWindowClass()
// Whether the zero-terminated `className` begins with kHostWindowClassPrefix,
// compared byte for byte (case matters). Shorter names never match.
bool IsHostWindowClass(const char* className);

}  // namespace companion
