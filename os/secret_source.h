#pragma once
// Where a program started from a command line takes a password from, other
// than the command line itself (which process lists and shortcuts show): the
// first line of a file, or an environment variable.
#include <string>

namespace os {

// The first line of `path` without its line end, at most 1024 bytes read.
// False when the file cannot be opened.
bool ReadFirstLine(const std::string& path, std::string* line);

// The value of environment variable `name`; false when it is not set.
bool ReadEnvironment(const char* name, std::string* value);

}  // namespace os
