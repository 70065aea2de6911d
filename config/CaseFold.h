#pragma once
// Folds UTF-8 text to lower case so that section and key names compare
// without regard to case: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters. Bytes that are not valid UTF-8 are kept as they are.
#include <string>
#include <string_view>

namespace vellumo {

std::string FoldCase(std::string_view utf8);

}  // namespace vellumo
