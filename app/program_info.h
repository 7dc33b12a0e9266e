#pragma once
// What the program knows of itself: its version, from the version resource
// of its executable, and the folder it runs from.
#include <windows.h>

#include <string>

namespace app {

struct ProgramVersion {
  int major = 0, minor = 0, release = 0, build = 0;
};

// The low byte of each 16-bit half of the file version, in the order major,
// minor, release, build; zeros without a version resource.
ProgramVersion ReadProgramVersion(HMODULE module);
std::string FormatVersion(const ProgramVersion& version);  // "1.2.3.4"
// The drive and folder of the module's file, without a trailing backslash:
// every file name the program appends starts with one ("\Halyard.ini").
std::string ProgramDirectory(HMODULE module);

}  // namespace app
