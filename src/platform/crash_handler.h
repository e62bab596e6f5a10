// Crash reporter: after a fatal signal, writes "crash.txt" into the data directory and a notice
// to standard error, then lets the signal end the process as usual.
#pragma once

#include <string>

namespace crash {

// Prepares the report for the data directory and installs the handler for SIGSEGV, SIGABRT,
// SIGFPE, SIGBUS, SIGILL and SIGTRAP. Call once, after the data directory exists.
void install();
// The same for an explicit directory (tests and tools).
void install(const std::string& dataDir);

// The report file's path as prepared by install ("" before).
const char* reportPath();

}  // namespace crash
