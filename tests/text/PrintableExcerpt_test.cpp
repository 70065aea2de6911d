// The one rule for quoting outside text to the user, in its two styles.
#include "text/PrintableExcerpt.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumo {
namespace {

struct PrintableRow {
  std::string raw;
  std::size_t max;
  ExcerptStyle style;
  std::string expected;
};

TEST(PrintableExcerpt, Table) {
  constexpr ExcerptStyle kServer = ExcerptStyle::Collapsed;
  constexpr ExcerptStyle kValue = ExcerptStyle::Verbatim;
  const PrintableRow rows[] = {
      {"plain", 300, kServer, "plain"},
      {"  spaced\t\tout \r\n", 300, kServer, "spaced out"},
      {"é\xC3", 300, kServer, "é"},            // truncated sequence dropped
      {"a\xC0\xAFz", 300, kServer, "az"},      // overlong encoding dropped
      {"a\xED\xA0\x80z", 300, kServer, "az"},  // surrogate dropped
      {"a\xC2\x85z", 300, kServer, "az"},      // C1 control dropped
      {"a\x7F"
       "b",
       300, kServer, "a b"},       // DEL is a separator
      {"ééé", 5, kServer, "éé…"},  // cut on a character boundary
      {"abcdef", 6, kServer, "abcdef"},
      {"abcdefg", 6, kServer, "abcdef…"},
      {"€ ok", 300, kServer, "€ ok"},
      // Format characters dropped: bidi overrides, zero-width, tags.
      {"facture\u202Efdp.exe\u202C", 300, kServer, "facturefdp.exe"},
      {"a\u200Bb\uFEFFc\U000E0041d\u00ADe", 300, kServer, "abcde"},
      // A value as written: every control shows as a space, nothing collapses.
      {"  a\t\r\nb ", 300, kValue, "  a   b "},
      {"a\xC2\x85z", 300, kValue, "a z"},
      {"a\xFFz\xC3", 300, kValue, "a?z?"},
      {"facture\u202Efdp.exe", 300, kValue, "facturefdp.exe"},
      {"ééé", 5, kValue, "éé..."},
      {"abcdefg", 6, kValue, "abcdef..."},
  };
  for (const PrintableRow& row : rows) {
    EXPECT_EQ(PrintableExcerpt(row.raw, row.max, row.style), row.expected) << row.raw;
  }
}

}  // namespace
}  // namespace vellumo
