// The few OS services the stand-in host needs beyond the platform layer: how the
// terminal takes the output, and answering the plug-in's windows when nobody is
// there to answer them.
//
// Every implementation must provide all four functions.
#pragma once

#include <string>

namespace zelta {

// PluginFileName()
// The plug-in's file name on this system: "libStats.so" or "Stats.dll".
const char* PluginFileName();

// PrepareStandardOutput()
// Makes standard output take bytes as they are (no line-end translation) and,
// on a Windows console, show UTF-8.
void PrepareStandardOutput();

// StandardErrorIsTerminal()
// Whether standard error is a terminal (a console on Windows), where progress
// lines that rewrite themselves can be shown.
bool StandardErrorIsTerminal();

// StartBatchMode()
// From now on the plug-in's windows are answered without a person: each message
// box is written to standard error as "caption: text" and closed with OK, and a
// dialog is closed as if it could not be shown (cancelled). POSIX: standard input
// is taken from the null device, so the plug-in shows no terminal form and its
// message boxes already go to standard error.
void StartBatchMode();

}  // namespace zelta
