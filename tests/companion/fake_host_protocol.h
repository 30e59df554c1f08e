// What the companion's Wine tests and their fake host agree on.
#pragma once

inline constexpr char fakeHostProgId[] = "Orvo2.Application";
// The class name begins with the host's prefix, as the host's own does.
inline constexpr wchar_t fakeHostWindowClassW[] = L"Afx:400000:b:10011:6:fakehost";
inline constexpr char fakeHostWindowClass[] = "Afx:400000:b:10011:6:fakehost";
// Set after every line the fake host writes to its log.
inline constexpr char fakeHostLogEvent[] = "ZeltaFakeHostLogWritten";
// The error the fake host raises for a rejected macro.
inline constexpr wchar_t fakeHostErrorDescription[] = L"Macro rejected by the fake host";
inline constexpr char fakeHostErrorDescriptionA[] = "Macro rejected by the fake host";
inline constexpr long fakeHostErrorCode = static_cast<long>(0x80040201);
