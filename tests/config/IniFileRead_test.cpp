// Reads from INI files of every shape a host may write.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "config/IniFile.h"
#include "tests/config/IniTestFiles.h"

namespace vellumo {
namespace {

using testing::ScratchFolderTest;
using testing::Utf16;

constexpr const char* kDefault = "<défaut>";

struct StringCase {
  const char* name;
  std::string bytes;
  const char* section;
  const char* key;
  std::string expected;
};

// Every byte of a literal, NULs included.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

const std::string kLongValue(1 << 20, 'x');

std::vector<StringCase> StringCases() {
  return {
      {"utf8_without_bom", "[Email]\nObjet=Facture d'été\n", "Email", "Objet", "Facture d'été"},
      {"utf8_bom_not_part_of_first_header", "\xEF\xBB\xBF[Email]\r\nObjet=Réf\r\n", "Email", "Objet", "Réf"},
      {"utf8_bom_broken_sequence", "\xEF\xBB\xBF[Email]\nObjet=a\xE9z\n", "Email", "Objet", "a\xEF\xBF\xBDz"},
      {"utf16le_bom", Utf16("[Email]\r\nObjet=R", true) + Bytes("\xE9\0") + Utf16("f\r\n", true).substr(2),
       "Email", "Objet", "Réf"},
      {"utf16be_bom", Utf16("[Email]\nObjet=R", false) + Bytes("\0\xE9") + Utf16("f\n", false).substr(2),
       "Email", "Objet", "Réf"},
      {"utf16le_surrogate_pair", Utf16("[Email]\nObjet=", true) + Bytes("\x3D\xD8\x00\xDE"), "Email", "Objet",
       "\xF0\x9F\x98\x80"},
      {"utf16le_lone_surrogate", Utf16("[Email]\nObjet=", true) + "\x3D\xD8" + Utf16("a", true).substr(2), "Email",
       "Objet", "\xEF\xBF\xBD" "a"},
      {"utf16le_odd_last_byte", Utf16("[Email]\nObjet=ab", true) + "\x41", "Email", "Objet", "ab"},
      {"cp1252_accents_and_high_range", "[Email]\r\nObjet=R\xE9gl\xE9 \x80 \x9C \x81\r\n", "Email", "Objet",
       "Réglé € œ \xC2\x81"},
      {"one_invalid_byte_makes_the_file_cp1252", "[Email]\nObjet=été\nCc=\xE9\n", "Email", "Objet",
       "Ã©tÃ©"},
      {"cp1252_section_name", "[G\xC9N\xC9RAL]\r\nCl\xE9=1\r\n", "général", "CLÉ", "1"},
      {"ascii_names_without_case", "[EMAIL]\nOBJET=x\n", "email", "objet", "x"},
      {"utf8_names_without_case", "[ÉTÉ Ωμέγα ДОМ]\nCLÉ=oui\n", "été ωμέγα дом", "clé", "oui"},
      {"blanks_around_names_and_value", "  [ Email ]  \n \t Objet  =   deux  blancs \t\n", "Email", "Objet",
       "deux  blancs"},
      {"double_quotes_removed", "[Email]\nObjet=\"  entre guillemets  \"\n", "Email", "Objet", "  entre guillemets  "},
      {"single_quotes_removed", "[Email]\nObjet='x'\n", "Email", "Objet", "x"},
      {"only_one_pair_of_quotes", "[Email]\nObjet=\"\"x\"\"\n", "Email", "Objet", "\"x\""},
      {"mismatched_quotes_kept", "[Email]\nObjet=\"x'\n", "Email", "Objet", "\"x'"},
      {"lone_quote_kept", "[Email]\nObjet=\"\n", "Email", "Objet", "\""},
      {"semicolon_comment", "[Email]\n;Objet=commenté\n  ; autre\nObjet=vrai\n", "Email", "Objet", "vrai"},
      {"hash_comment", "[Email]\n#Objet=commenté\nObjet=vrai\n", "Email", "Objet", "vrai"},
      {"missing_key", "[Email]\nCc=x\n", "Email", "Objet", kDefault},
      {"missing_section", "[Autre]\nObjet=x\n", "Email", "Objet", kDefault},
      {"empty_value_is_a_value", "[Email]\nObjet=\n", "Email", "Objet", ""},
      {"first_repeated_key_wins", "[Email]\nObjet=premier\nObjet=second\n", "Email", "Objet", "premier"},
      {"repeated_sections_merge", "[Email]\nCc=a\n[Autre]\nObjet=b\n[email]\nObjet=c\n[Email]\nObjet=d\n", "Email",
       "Objet", "c"},
      {"first_key_wins_across_repeated_sections", "[Email]\nObjet=a\n[Email]\nObjet=b\n", "Email", "Objet", "a"},
      {"equals_inside_value", "[EmailCorps]\nLigne1=a=b = c\n", "EmailCorps", "Ligne1", "a=b = c"},
      {"line_without_equals_is_no_key", "[Email]\nObjet\n", "Email", "Objet", kDefault},
      {"key_before_any_header", "Objet=x\n[Email]\n", "Email", "Objet", kDefault},
      {"key_of_next_section_not_seen", "[Email]\n[Autre]\nObjet=x\n", "Email", "Objet", kDefault},
      {"text_after_header_ignored", "[Email] ; commentaire\nObjet=x\n", "Email", "Objet", "x"},
      {"header_without_bracket_opens_section", "[Email\nObjet=x\n", "Email", "Objet", "x"},
      {"no_final_newline", "[Email]\r\nObjet=x", "Email", "Objet", "x"},
      {"lone_carriage_return_at_end", "[Email]\nObjet=x\r", "Email", "Objet", "x"},
      {"very_long_line", "[Email]\r\nObjet=" + kLongValue + "\r\nCc=y\r\n", "Email", "Objet", kLongValue},
      {"key_after_very_long_line", "[Email]\r\nObjet=" + kLongValue + "\r\nCc=y\r\n", "Email", "Cc", "y"},
      {"nul_byte_inside_value", Bytes("[Email]\nObjet=a\0b\nCc=c\n"), "Email", "Objet", Bytes("a\0b")},
      {"nul_byte_does_not_end_file", Bytes("[Email]\nObjet=a\0b\nCc=c\n"), "Email", "Cc", "c"},
      {"utf16_nul_unit", Utf16("[Email]\nObjet=a", true) + Bytes("\0\0") + Utf16("b\n", true).substr(2), "Email",
       "Objet", Bytes("a\0b")},
  };
}

void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }

class ReadStringTest : public ScratchFolderTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(ReadStringTest, GivesTheValueAsUtf8) {
  const StringCase& c = GetParam();
  const IniFile ini(WriteFile("config.ini", c.bytes));
  EXPECT_EQ(ini.ReadString(c.section, c.key, kDefault), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadStringTest, ::testing::ValuesIn(StringCases()),
                         [](const auto& row) { return std::string(row.param.name); });

struct IntegerCase {
  const char* name;
  const char* value;  // as written after "N="
  std::optional<std::int32_t> expected;  // none: the default
};

constexpr std::int32_t kIntDefault = 12345;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const IntegerCase kIntegerCases[] = {
    {"decimal", "42", 42},
    {"minus_one", "-1", -1},
    {"plus_sign", "+7", 7},
    {"blanks_around", " \t 8 \t", 8},
    {"quoted", "\" 9 \"", 9},
    {"leading_zeros", "00012", 12},
    {"largest", "2147483647", kMax},
    {"smallest", "-2147483648", kMin},
    {"above_32_bits", "2147483648", std::nullopt},
    {"below_32_bits", "-2147483649", std::nullopt},
    {"many_digits", "99999999999999999999999", std::nullopt},
    {"hex_0x_lower", "0x1f", 31},
    {"hex_0x_upper", "0X1F", 31},
    {"hex_dollar", "$1F", 31},
    {"hex_negative", "-0x10", -16},
    {"hex_negative_dollar", "-$10", -16},
    {"hex_all_ones_wraps", "$FFFFFFFF", -1},
    {"hex_top_bit_wraps", "0x80000000", kMin},
    {"hex_negative_smallest", "-0x80000000", kMin},
    {"hex_negative_beyond", "-0x80000001", std::nullopt},
    {"hex_beyond_32_bits", "0x100000000", std::nullopt},
    {"hex_prefix_alone", "0x", std::nullopt},
    {"dollar_alone", "$", std::nullopt},
    {"hex_digit_in_decimal", "1f", std::nullopt},
    {"hex_sign_after_prefix", "0x-1", std::nullopt},
    {"sign_alone", "-", std::nullopt},
    {"double_sign", "--1", std::nullopt},
    {"blank_inside", "1 2", std::nullopt},
    {"trailing_text", "12abc", std::nullopt},
    {"exponent", "1e3", std::nullopt},
    {"decimal_point", "1.5", std::nullopt},
    {"word", "abc", std::nullopt},
    {"empty", "", std::nullopt},
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << c.name; }

class ReadIntegerTest : public ScratchFolderTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(ReadIntegerTest, ParsesOrGivesTheDefault) {
  const IntegerCase& c = GetParam();
  const IniFile ini(WriteFile("config.ini", std::string("[Email]\r\nN=") + c.value + "\r\n"));
  EXPECT_EQ(ini.ReadInteger("Email", "N", kIntDefault), c.expected.value_or(kIntDefault));
}

INSTANTIATE_TEST_SUITE_P(Values, ReadIntegerTest, ::testing::ValuesIn(kIntegerCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct BoolCase {
  const char* name;
  const char* line;  // the whole key line, or none
  std::optional<bool> expected;  // none: the default
};

const BoolCase kBoolCases[] = {
    {"zero", "B=0", false},
    {"one", "B=1", true},
    {"minus_one", "B=-1", true},
    {"two", "B=2", true},
    {"hex_zero", "B=0x0", false},
    {"blanks", "B= 1 ", true},
    {"yes_is_not_a_number", "B=yes", std::nullopt},
    {"true_is_not_a_number", "B=true", std::nullopt},
    {"empty", "B=", std::nullopt},
    {"missing", "Autre=1", std::nullopt},
};

void PrintTo(const BoolCase& c, std::ostream* os) { *os << c.name; }

class ReadBoolTest : public ScratchFolderTest, public ::testing::WithParamInterface<BoolCase> {};

TEST_P(ReadBoolTest, ReadsAnIntegerOrGivesTheDefault) {
  const BoolCase& c = GetParam();
  const IniFile ini(WriteFile("config.ini", std::string("[ConfigMail]\n") + c.line + "\n"));
  for (const bool defaultValue : {false, true}) {
    EXPECT_EQ(ini.ReadBool("ConfigMail", "B", defaultValue), c.expected.value_or(defaultValue))
        << "default " << defaultValue;
  }
}

INSTANTIATE_TEST_SUITE_P(Values, ReadBoolTest, ::testing::ValuesIn(kBoolCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct SectionCase {
  const char* name;
  std::string bytes;
  bool exists;
  std::vector<std::string> values;  // listing of section Email
};

std::vector<SectionCase> SectionCases() {
  return {
      {"missing", "[Autre]\nA=1\n", false, {}},
      {"header_only", "[Email]\n[Autre]\nA=1\n", false, {}},
      {"header_at_end_of_file", "[Autre]\nA=1\n[Email]", false, {}},
      {"comments_and_text_only", "[Email]\n; A=1\ntexte\n=sans nom\n\n", false, {}},
      {"empty_value_counts", "[Email]\nA=\n", true, {"A="}},
      {"keys_in_file_order", "[Email]\nLigne2=b\nLigne1=a\n", true, {"Ligne2=b", "Ligne1=a"}},
      {"equals_in_value_and_blanks", "[Email]\n Ligne = x = y \n", true, {"Ligne=x = y"}},
      {"quotes_removed", "[Email]\nA=\"q\"\n", true, {"A=q"}},
      {"other_lines_skipped", "[Email]\nA=1\n;B=2\nrien\n\nC=3\n[Autre]\nD=4\n", true, {"A=1", "C=3"}},
      {"repeated_sections_merge", "[Email]\nA=1\n[Autre]\nB=2\n[EMAIL]\nC=3\n", true, {"A=1", "C=3"}},
      {"header_only_then_keys_in_repeat", "[Email]\n[Autre]\nB=2\n[Email]\nC=3\n", true, {"C=3"}},
      {"repeated_key_each_line", "[Email]\nA=1\nA=2\n", true, {"A=1", "A=2"}},
      {"case_of_file_kept", "[email]\nObJeT=x\n", true, {"ObJeT=x"}},
      {"cp1252_value", "[Email]\nL=\xE9t\xE9\n", true, {"L=été"}},
  };
}

void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.name; }

class SectionTest : public ScratchFolderTest, public ::testing::WithParamInterface<SectionCase> {};

TEST_P(SectionTest, ExistsOnlyWithKeysAndListsThemInOrder) {
  const SectionCase& c = GetParam();
  const IniFile ini(WriteFile("config.ini", c.bytes));
  EXPECT_EQ(ini.SectionExists("Email"), c.exists);
  EXPECT_EQ(ini.ReadSectionValues("Email"), c.values);
}

INSTANTIATE_TEST_SUITE_P(Files, SectionTest, ::testing::ValuesIn(SectionCases()),
                         [](const auto& row) { return std::string(row.param.name); });

class MissingFileTest : public ScratchFolderTest {};

TEST_F(MissingFileTest, ReadsDefaultsWithoutCreatingTheFile) {
  const std::string path = PathOf("absent.ini");
  const IniFile ini(path);
  EXPECT_FALSE(ini.SectionExists("Email"));
  EXPECT_EQ(ini.ReadString("Email", "Objet", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("Email", "EnvoiMode", 1), 1);
  EXPECT_TRUE(ini.ReadSectionValues("EmailCorps").empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(MissingFileTest, FolderReadsAsEmpty) {
  const IniFile ini(folder_);
  EXPECT_EQ(ini.ReadInteger("Email", "EnvoiMode", 7), 7);
}

}  // namespace
}  // namespace vellumo
