#pragma once
// The one edit the module makes to an INI file: set a key's value.
#include <string>
#include <string_view>

#include "config/IniDocument.h"

namespace vellumo {

// The document's bytes with `key` in `section` set to `value`. An existing
// key has its value replaced in place (the first one when repeated); a
// missing key goes after the last key line of the section's first header; a
// missing section goes at the end of the file. Every other byte is kept, and
// added text is in the file's encoding and line breaks. Names and value must
// already be fit for the file (see IsWritableName).
std::string WithValue(const IniDocument& document, std::string_view section, std::string_view key,
                      std::string_view value);

// The document's bytes without the line of `key` in `section` (the one
// FindKey finds), line break included. With `dropBareHeader`, the section's
// first header goes too when that line was all it held. No key: the bytes
// as they are.
std::string WithoutKey(const IniDocument& document, std::string_view section, std::string_view key,
                       bool dropBareHeader);

// Whether a name can be written as a section (no ']') or a key (no '=', not
// starting like a header or a comment) and read back as itself.
bool IsWritableSectionName(std::string_view name);
bool IsWritableKeyName(std::string_view name);

}  // namespace vellumo
