#pragma once
// Secrets the viewer keeps in the registry (saved login passwords, the proxy
// password) are stored protected for the current Windows user with
// CryptProtectData, as a binary value; only that user on that PC can read
// them back. Values an earlier version saved as plain text still read, and
// are written back protected the first time they are read.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/win32/registry_key.h"

namespace settings {

// Empty on failure.
std::vector<uint8_t> ProtectText(const std::string& text);
// False when the blob is not one this user protected (or is damaged).
bool UnprotectText(const std::vector<uint8_t>& blob, std::string* text);

// A protected binary value, or a plain text value of an earlier version
// (rewritten protected). On failure text becomes empty.
bool QuerySecret(RegistryKey& key, const std::string& name, std::string& text);
// Always written protected.
bool SetSecret(RegistryKey& key, const std::string& name, const std::string& text);

}  // namespace settings
