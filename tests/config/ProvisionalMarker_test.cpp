// The marker put in place while a run is under way and taken out after a
// success: the host gets back its very bytes, or keeps what it wrote since.
#include "config/ProvisionalMarker.h"

#include <gtest/gtest.h>

#include "config/IniFile.h"
#include "tests/config/IniTestFiles.h"

namespace vellumo {
namespace {

using testing::ReadBytes;
using testing::ScratchFolderTest;
using testing::Utf16;

constexpr const char* kSection = "ExportationMailErreur";
constexpr const char* kKey = "Erreur";

struct RestoreCase {
  const char* name;
  std::string before;
};

void PrintTo(const RestoreCase& c, std::ostream* os) { *os << c.name; }

const RestoreCase kRestoreCases[] = {
    {"utf8_bom_crlf", "\xEF\xBB\xBF[Email]\r\nObjet=été\r\n"},
    {"cp1252_no_final_newline", "[Email]\r\nObjet=\xE9t\xE9"},
    {"utf16be_lf", Utf16("[Email]\nA=1\n", false)},
    {"section_without_the_key", "[ExportationMailErreur]\nAutre=2\n[Email]\nA=1\n"},
    {"key_reading_false_quoted", "[ExportationMailErreur]\r\nErreur = \"0\" \r\n"},
    {"key_with_text", "[ExportationMailErreur]\nErreur=non\n"},
};

class RestoreTest : public ScratchFolderTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, MarksTheFileThenGivesBackItsVeryBytes) {
  const std::string path = WriteFile("host.ini", GetParam().before);
  const auto marker = ProvisionalMarker::Place(NativeFileSystem(), path, kSection, kKey);
  ASSERT_TRUE(marker);
  EXPECT_TRUE(IniFile(path).ReadBool(kSection, kKey, false));
  marker->Remove();
  EXPECT_EQ(ReadBytes(path), GetParam().before);
}

INSTANTIATE_TEST_SUITE_P(Files, RestoreTest, ::testing::ValuesIn(kRestoreCases),
                         [](const auto& row) { return std::string(row.param.name); });

class ProvisionalMarkerTest : public ScratchFolderTest {};

TEST_F(ProvisionalMarkerTest, AMarkerThereBeforeIsLeftAlone) {
  const std::string path = WriteFile("host.ini", "[ExportationMailErreur]\nErreur=1\n");
  EXPECT_FALSE(ProvisionalMarker::Place(NativeFileSystem(), path, kSection, kKey));
  EXPECT_FALSE(ProvisionalMarker::Place(NativeFileSystem(), PathOf("absent.ini"), kSection, kKey));
  EXPECT_FALSE(std::filesystem::exists(PathOf("absent.ini")));
}

// The host rewrites its file while the run is under way: only what the
// marker added goes, the host's change stays.
struct ChangedCase {
  const char* name;
  std::string before;
  std::string meanwhile;  // the host's file, marker included, during the run
  std::string after;
};

void PrintTo(const ChangedCase& c, std::ostream* os) { *os << c.name; }

const ChangedCase kChangedCases[] = {
    {"added_section_goes", "[Email]\nA=1\n",
     "[Email]\nA=2\n[ExportationMailErreur]\nErreur=1\n[Suivi]\nB=3\n",
     "[Email]\nA=2\n[Suivi]\nB=3\n"},
    {"added_section_with_other_keys_stays", "[Email]\nA=1\n",
     "[Email]\nA=1\n[ExportationMailErreur]\nErreur=1\nCode=7\n",
     "[Email]\nA=1\n[ExportationMailErreur]\nCode=7\n"},
    {"added_key_goes", "[ExportationMailErreur]\nCode=7\n",
     "[ExportationMailErreur]\nCode=8\nErreur=1\n", "[ExportationMailErreur]\nCode=8\n"},
    {"former_value_comes_back", "[ExportationMailErreur]\nErreur=0\n[Email]\nA=1\n",
     "[ExportationMailErreur]\nErreur=1\n[Email]\nA=2\n",
     "[ExportationMailErreur]\nErreur=0\n[Email]\nA=2\n"},
    {"host_set_its_own_value", "[Email]\nA=1\n",
     "[Email]\nA=1\n[ExportationMailErreur]\nErreur=2\n",
     "[Email]\nA=1\n[ExportationMailErreur]\nErreur=2\n"},
};

class ChangedMeanwhileTest : public ScratchFolderTest,
                             public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ChangedMeanwhileTest, OnlyTheMarkerGoes) {
  const ChangedCase& c = GetParam();
  const std::string path = WriteFile("host.ini", c.before);
  const auto marker = ProvisionalMarker::Place(NativeFileSystem(), path, kSection, kKey);
  ASSERT_TRUE(marker);
  testing::WriteBytes(path, c.meanwhile);
  marker->Remove();
  EXPECT_EQ(ReadBytes(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(Files, ChangedMeanwhileTest, ::testing::ValuesIn(kChangedCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo
