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

// Creates an empty Unicode profile file (a UTF-16LE byte-order mark) so the
// profile writes that follow store their text as UTF-16LE and any name reads
// back unchanged; an existing file is left as it is.
void CreateUnicodeProfile(const std::wstring& path);

// The section's entries in file order, split at their first '='.
std::vector<SectionEntry> ReadSectionEntries(const std::string& path, const std::string& section);

}  // namespace settings
