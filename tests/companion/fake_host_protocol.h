// What the companion's Wine tests and their fake host agree on.
#pragma once

inline constexpr char fakeHostProgId[] = "Orvo2.Application";
// The class name begins with the host's prefix, as the host's own does.
inline constexpr wchar_t fakeHostWindowClass[] = L"Afx:400000:b:10011:6:fakehost";
// The error the fake host raises for a rejected macro.
inline constexpr char fakeHostErrorDescription[] = "Macro rejected by the fake host";
inline constexpr long fakeHostErrorCode = static_cast<long>(0x80040201);
