#pragma once
// Files named by UTF-8 paths, the one form paths take inside the program.
// The C runtime's narrow calls would read a path in the ANSI code page on
// Windows, so every open, test and listing goes through here.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace os {

// The path as the platform's file system library wants it. Invalid UTF-8
// becomes U+FFFD on Windows, so a bad name fails instead of hitting another file.
std::filesystem::path PathOf(const std::string& utf8);
// fopen with a UTF-8 path; nullptr when it cannot be opened.
std::FILE* OpenFile(const std::string& path, const char* mode);
// Creates the file for writing only if no file of that name exists (no race
// with another program creating it); nullptr when it exists or cannot be made.
std::FILE* CreateNewFile(const std::string& path);
// Seeks to a 64-bit position (files past 2 GiB).
bool SeekFile(std::FILE* file, uint64_t position);
// 0 when the size cannot be read.
uint64_t FileSize(const std::string& path);

// Removes a file; true when it is gone (or never was).
bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);
// The absolute form of a path; the path itself when that fails.
std::string AbsolutePath(const std::string& path);
// The plain files directly in `folder`, as UTF-8 paths; empty when it cannot be read.
std::vector<std::string> FilesIn(const std::string& folder);

// A whole file into memory; false when it cannot be read or is larger than `limit`.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, uint64_t limit = uint64_t{1} << 30);
// Replaces the file's content; false when any byte could not be written.
bool WriteWholeFile(const std::string& path, const void* data, size_t length);

// The directory for temporary files, ending with a path separator; empty if unknown.
std::string TempDirectory();

// Text from outside (a camera's ID or name) made fit to be part of a file
// name: path separators, drive colons, the other characters Windows refuses
// in names and control characters become '_', so the name stays in the
// folder it is put in whatever the camera sends. Empty text gives `whenEmpty`.
std::string SafeFileName(std::string text, const std::string& when_empty);

}  // namespace os
