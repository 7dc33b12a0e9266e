#pragma once
// The program-wide debug log. Every subsystem writes its log lines through
// DebugLog; each call appends to "VORIZIVO_DEBUG_VIDEO.txt" in the temporary
// directory and removes the file once it has grown past 10 MiB, so a viewer
// left running for weeks never fills the disk.
#include <functional>
#include <string>

#if defined(__GNUC__)
#define HALYARD_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define HALYARD_PRINTF(fmt, args)
#endif

constexpr long kDebugLogLimitBytes = 10485760;

// Logging starts switched off; the program switches it on once at start-up.
void DebugLogEnable(bool on);
void DebugLog(const char* format, ...) HALYARD_PRINTF(1, 2);

// Full path of the log file: the temporary directory, or "c:\" when there is none.
std::string DebugLogPath();

// Tests see every formatted line here, whether or not the file is written.
// Pass an empty function to stop observing.
void DebugLogObserve(std::function<void(const std::string&)> observer);
