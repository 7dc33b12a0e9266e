#pragma once
// Whole-section reads of private-profile (INI) files. The section lookup
// needs a buffer large enough for the whole section and cuts silently when
// it is not; a cut section that is later rewritten loses its tail for good.
// So the buffer grows until the section fits, whatever its length.
#include <string>
#include <vector>

#include "settings/ini_text.h"

namespace settings {

// The section's entries as the lookup returns them (each "name=value" ended
// by a NUL), converted to UTF-8. Empty when the file or section is absent.
std::string ReadProfileSection(const std::wstring& path, const std::string& section);

// The section's entries in file order, split at their first '='.
std::vector<SectionEntry> ReadSectionEntries(const std::string& path, const std::string& section);

}  // namespace settings
