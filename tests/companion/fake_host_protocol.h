// What the companion's Wine tests and their fake host agree on.
#pragma once

inline constexpr char kFakeHostProgId[] = "Orvo2.Application";
// The class name begins with the host's prefix, as the host's own does.
inline constexpr wchar_t kFakeHostWindowClass[] = L"Afx:400000:b:10011:6:fakehost";
// The error the fake host raises for a rejected macro.
inline constexpr char kFakeHostErrorDescription[] = "Macro rejected by the fake host";
inline constexpr long kFakeHostErrorCode = static_cast<long>(0x80040201);
