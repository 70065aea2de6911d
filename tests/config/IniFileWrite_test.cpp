// Writing the failure marker: golden bytes, links, permissions, failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "config/IniFile.h"
#include "tests/config/IniTestFiles.h"

namespace vellumo {
namespace {

using testing::ReadBytes;
using testing::ScratchFolderTest;
using testing::Utf16;
using testing::WriteBytes;

constexpr const char* kSection = "ExportationMailErreur";
constexpr const char* kKey = "Erreur";

// Every byte of a literal, NULs included.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

struct GoldenCase {
  const char* name;
  std::optional<std::string> before;  // none: no file
  std::string after;
  bool value = true;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

std::vector<GoldenCase> GoldenCases() {
  const std::string host = "[Email]\r\nEnvoiMode=2\r\nObjet=Facture\r\n";
  return {
      {"missing_file", std::nullopt, "[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"empty_file", "", "[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"crlf_new_section", host, host + "[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"lf_new_section", "[Email]\nEnvoiMode=2\n", "[Email]\nEnvoiMode=2\n[ExportationMailErreur]\nErreur=1\n"},
      {"line_ending_from_first_line", "[Email]\r\nA=1\nB=2\n", "[Email]\r\nA=1\nB=2\n[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"no_final_newline", "[Email]\nEnvoiMode=2", "[Email]\nEnvoiMode=2\n[ExportationMailErreur]\nErreur=1\n"},
      {"no_line_break_at_all", "[Email]", "[Email]\r\n[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"blank_lines_and_comments_kept", "; hôte\r\n\r\n[Email]\r\nA=1\r\n\r\n",
       "; hôte\r\n\r\n[Email]\r\nA=1\r\n\r\n[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"existing_key_other_value", "[ExportationMailErreur]\r\nErreur=0\r\n[Email]\r\nA=1\r\n",
       "[ExportationMailErreur]\r\nErreur=1\r\n[Email]\r\nA=1\r\n"},
      {"existing_key_layout_kept", "[ExportationMailErreur]\r\n  erreur  =  0  \t\r\n",
       "[ExportationMailErreur]\r\n  erreur  =  1  \t\r\n"},
      {"existing_key_quoted", "[ExportationMailErreur]\nErreur=\"0\"\n", "[ExportationMailErreur]\nErreur=1\n"},
      {"existing_key_empty", "[ExportationMailErreur]\nErreur=   \n", "[ExportationMailErreur]\nErreur=1   \n"},
      {"existing_key_last_line", "[ExportationMailErreur]\nErreur=0", "[ExportationMailErreur]\nErreur=1"},
      {"existing_key_already_set", "[ExportationMailErreur]\nErreur=1\n", "[ExportationMailErreur]\nErreur=1\n"},
      {"write_false", "[ExportationMailErreur]\nErreur=1\n", "[ExportationMailErreur]\nErreur=0\n", false},
      {"section_names_without_case", "[exportationmailerreur]\nERREUR=0\n", "[exportationmailerreur]\nERREUR=1\n"},
      {"missing_key_after_last_key", "[ExportationMailErreur]\r\nAutre=5\r\n\r\n; fin\r\n[Email]\r\nA=1\r\n",
       "[ExportationMailErreur]\r\nAutre=5\r\nErreur=1\r\n\r\n; fin\r\n[Email]\r\nA=1\r\n"},
      {"missing_key_empty_section", "[ExportationMailErreur]\n[Email]\nA=1\n",
       "[ExportationMailErreur]\nErreur=1\n[Email]\nA=1\n"},
      {"missing_key_header_at_end", "[Email]\r\nA=1\r\n[ExportationMailErreur]",
       "[Email]\r\nA=1\r\n[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"missing_key_goes_to_first_header", "[ExportationMailErreur]\nA=1\n[Email]\nB=2\n[ExportationMailErreur]\nC=3\n",
       "[ExportationMailErreur]\nA=1\nErreur=1\n[Email]\nB=2\n[ExportationMailErreur]\nC=3\n"},
      {"key_in_repeated_section_replaced", "[ExportationMailErreur]\nA=1\n[ExportationMailErreur]\nErreur=0\n",
       "[ExportationMailErreur]\nA=1\n[ExportationMailErreur]\nErreur=1\n"},
      {"commented_key_is_no_key", "[ExportationMailErreur]\n;Erreur=0\n",
       "[ExportationMailErreur]\nErreur=1\n;Erreur=0\n"},
      {"same_key_in_other_section_untouched", "[Email]\nErreur=0\n",
       "[Email]\nErreur=0\n[ExportationMailErreur]\nErreur=1\n"},
      {"utf8_bom_kept", "\xEF\xBB\xBF[Email]\r\nObjet=été\r\n",
       "\xEF\xBB\xBF[Email]\r\nObjet=été\r\n[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"cp1252_bytes_kept", "[Email]\r\nObjet=\xE9t\xE9 \x80\r\n",
       "[Email]\r\nObjet=\xE9t\xE9 \x80\r\n[ExportationMailErreur]\r\nErreur=1\r\n"},
      {"cp1252_key_replaced", "[ExportationMailErreur]\r\nErreur=\xE9\r\nR\xE9" "f=\x80\r\n",
       "[ExportationMailErreur]\r\nErreur=1\r\nR\xE9" "f=\x80\r\n"},
      {"nul_bytes_kept", Bytes("[Email]\nA=a\0b\n\0\n"),
       Bytes("[Email]\nA=a\0b\n\0\n[ExportationMailErreur]\nErreur=1\n")},
      {"utf16le_crlf_new_section", Utf16("[Email]\r\nA=1\r\n", true),
       Utf16("[Email]\r\nA=1\r\n[ExportationMailErreur]\r\nErreur=1\r\n", true)},
      {"utf16be_lf_new_section", Utf16("[Email]\nA=1\n", false),
       Utf16("[Email]\nA=1\n[ExportationMailErreur]\nErreur=1\n", false)},
      {"utf16le_existing_key", Utf16("[ExportationMailErreur]\r\nErreur=0\r\n", true),
       Utf16("[ExportationMailErreur]\r\nErreur=1\r\n", true)},
      {"utf16be_missing_key_no_final_newline", Utf16("[ExportationMailErreur]\nA=x", false),
       Utf16("[ExportationMailErreur]\nA=x\nErreur=1\n", false)},
      {"utf16le_odd_last_byte_kept_last", Utf16("[Email]\n", true) + "\x41",
       Utf16("[Email]\n[ExportationMailErreur]\nErreur=1\n", true) + "\x41"},
      {"utf16le_bom_only", Utf16("", true), Utf16("[ExportationMailErreur]\r\nErreur=1\r\n", true)},
  };
}

class MarkerGoldenTest : public ScratchFolderTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(MarkerGoldenTest, ChangesOnlyTheMarker) {
  const GoldenCase& c = GetParam();
  const std::string path = PathOf("host.ini");
  if (c.before) WriteBytes(path, *c.before);
  IniFile ini(path);
  ini.WriteBool(kSection, kKey, c.value);
  EXPECT_EQ(ReadBytes(path), c.after);
  EXPECT_EQ(IniFile(path).ReadBool(kSection, kKey, !c.value), c.value);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1) << "temporary file left";
}

INSTANTIATE_TEST_SUITE_P(Files, MarkerGoldenTest, ::testing::ValuesIn(GoldenCases()),
                         [](const auto& row) { return std::string(row.param.name); });

class MarkerFileTest : public ScratchFolderTest {};

TEST_F(MarkerFileTest, HostFixtureGetsTheMarker) {
  const char* fromEnvironment = std::getenv("VELLUMO_TEST_DATA");
  // Tests run from the repository's root; __FILE__ may be relative to the
  // build folder.
  const std::string data = fromEnvironment ? fromEnvironment : "tests/data";
  const std::string path = WriteFile("host.ini", ReadBytes(data + "/ini/host_cp1252_crlf.ini"));
  IniFile(path).WriteBool(kSection, kKey, true);
  EXPECT_EQ(ReadBytes(path), ReadBytes(data + "/ini/host_cp1252_crlf.marked.ini"));
}

TEST_F(MarkerFileTest, ReaderOpenedEarlierSeesLaterWrites) {
  const std::string path = WriteFile("host.ini", "[Email]\nEnvoiMode=2\n");
  const IniFile reader(path);
  IniFile writer(path);
  EXPECT_FALSE(reader.ReadBool(kSection, kKey, false));
  writer.WriteBool(kSection, kKey, true);
  EXPECT_TRUE(reader.ReadBool(kSection, kKey, false));
  WriteBytes(path, "[Email]\nEnvoiMode=3\n");
  EXPECT_EQ(reader.ReadInteger("Email", "EnvoiMode", 1), 3);
  EXPECT_FALSE(reader.SectionExists(kSection));
}

#ifndef _WIN32
// Links, modes, owners and forks are POSIX's own.
TEST_F(MarkerFileTest, WritesThroughSymbolicLinks) {
  std::filesystem::create_directory(PathOf("real"));
  const std::string real = WriteFile("real/host.ini", "[Email]\nA=1\n");
  const std::string link = PathOf("link.ini");
  const std::string chained = PathOf("chained.ini");
  std::filesystem::create_symlink("real/host.ini", link);  // relative to the link's folder
  std::filesystem::create_symlink(link, chained);
  IniFile(chained).WriteBool(kSection, kKey, true);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_symlink(chained));
  EXPECT_EQ(ReadBytes(real), "[Email]\nA=1\n[ExportationMailErreur]\nErreur=1\n");
}

TEST_F(MarkerFileTest, KeepsModeBitsAndGivesNewFilesTheUmask) {
  const std::string existing = WriteFile("host.ini", "[Email]\nA=1\n");
  ASSERT_EQ(::chmod(existing.c_str(), 0640), 0);
  IniFile(existing).WriteBool(kSection, kKey, true);
  const auto mode = [](const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
  };
  EXPECT_EQ(mode(existing), 0640u);

  const mode_t previous = ::umask(027);
  const std::string created = PathOf("new.ini");
  IniFile(created).WriteBool(kSection, kKey, true);
  ::umask(previous);
  EXPECT_EQ(mode(created), 0640u);
}

// Files a rename would take from their owner or their other names: written
// in place, by a user other than root, as a host's user would.
struct IdentityCase {
  const char* name;
  mode_t folderMode;
  bool hardLink;
};

void PrintTo(const IdentityCase& c, std::ostream* os) { *os << c.name; }

const IdentityCase kIdentityCases[] = {
    {"folder_not_writable", 0755, false},
    {"owner_is_someone_else", 0777, false},
    {"hard_linked", 0777, true},
};

class FileIdentityTest : public ScratchFolderTest,
                         public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(FileIdentityTest, TheFileStaysTheSameFile) {
  const IdentityCase& c = GetParam();
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  const std::string path = WriteFile("host.ini", "[Email]\r\nA=1\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(folder_.c_str(), c.folderMode), 0);
  if (c.hardLink) std::filesystem::create_hard_link(path, PathOf("other.ini"));
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    try {
      IniFile(path).WriteBool(kSection, kKey, true);
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, 0u);
  EXPECT_EQ(after.st_mode & 07777, 0666u);
  EXPECT_EQ(ReadBytes(path), "[Email]\r\nA=1\r\n[ExportationMailErreur]\r\nErreur=1\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), c.hardLink ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Files, FileIdentityTest, ::testing::ValuesIn(kIdentityCases),
                         [](const auto& row) { return std::string(row.param.name); });

#endif

TEST_F(MarkerFileTest, RefusesNamesThatWouldNotReadBack) {
  const std::string path = WriteFile("host.ini", "[Email]\r\nObjet=\xE9t\xE9\r\n");  // cp1252
  const std::string before = ReadBytes(path);
  IniFile ini(path);
  const struct {
    std::string section, key;
    IniWriteReason reason;
  } names[] = {
      {"A]B", "Erreur", IniWriteReason::InvalidSectionName},
      {"", "Erreur", IniWriteReason::InvalidSectionName},
      {kSection, "a=b", IniWriteReason::InvalidKeyName},
      {kSection, ";x", IniWriteReason::InvalidKeyName},
      {kSection, "a\nb", IniWriteReason::InvalidKeyName},
      {"Ωmega", "Erreur", IniWriteReason::NameNotInEncoding},
  };
  for (const auto& n : names) {
    try {
      ini.WriteBool(n.section, n.key, true);
      ADD_FAILURE() << "no error for " << n.section << " / " << n.key;
    } catch (const IniWriteError& error) {
      EXPECT_EQ(error.Reason(), n.reason) << n.section << " / " << n.key;
      EXPECT_EQ(error.Path(), path);
    }
  }
  EXPECT_EQ(ReadBytes(path), before);
}

bool SetImmutable(const std::string& path, bool on) {
  const std::string command = std::string("chattr ") + (on ? "+i" : "-i") + " '" + path + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// Each case prepares a path that cannot be written and says why the write
// must fail.
struct FailureCase {
  const char* name;
  IniWriteReason reason;
  int errorNumber;  // 0 unless a system error
  // Returns the path to write, or "" when the case cannot be set up here.
  std::string (*prepare)(const std::string& folder);
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

std::string Write(const std::string& path) {
  WriteBytes(path, "[ExportationMailErreur]\r\nErreur=0\r\n");
  return path;
}

const FailureCase kFailureCases[] = {
    {"read_only_mode", IniWriteReason::ReadOnly, 0,
     [](const std::string& folder) {
       const std::string path = Write(folder + "/host.ini");
       ::chmod(path.c_str(), 0444);
       return path;
     }},
    {"missing_folder", IniWriteReason::SystemError, ENOENT,
     [](const std::string& folder) { return folder + "/absent/host.ini"; }},
    {"parent_is_a_file", IniWriteReason::SystemError, ENOTDIR,
     [](const std::string& folder) { return Write(folder + "/plain") + "/host.ini"; }},
    {"path_is_a_folder", IniWriteReason::SystemError, EISDIR,
     [](const std::string& folder) { return folder; }},
    {"immutable_file", IniWriteReason::SystemError, EPERM,
     [](const std::string& folder) {
       const std::string path = Write(folder + "/host.ini");
       return SetImmutable(path, true) ? path : std::string();
     }},
    {"immutable_folder_new_file", IniWriteReason::SystemError, EPERM,
     [](const std::string& folder) {
       std::filesystem::create_directory(folder + "/sub");
       return SetImmutable(folder + "/sub", true) ? folder + "/sub/host.ini" : std::string();
     }},
};

class WriteFailureTest : public ScratchFolderTest, public ::testing::WithParamInterface<FailureCase> {
 protected:
  void TearDown() override {
    SetImmutable(folder_ + "/host.ini", false);
    SetImmutable(folder_ + "/sub", false);
    ScratchFolderTest::TearDown();
  }
};

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_P(WriteFailureTest, SaysWhyAndChangesNothing) {
  const FailureCase& c = GetParam();
  std::filesystem::create_directory(folder_ + "/sub");
  const std::string path = c.prepare(folder_);
  if (path.empty()) GTEST_SKIP() << "chattr is not available here";
  const bool existed = std::filesystem::is_regular_file(path);
  const std::string before = existed ? ReadBytes(path) : std::string();
  const std::vector<std::string> listing = Listing(folder_);

  IniFile ini(path);
  try {
    ini.WriteBool(kSection, kKey, true);
    FAIL() << "no error";
  } catch (const IniWriteError& error) {
    EXPECT_EQ(error.Path(), path);
    EXPECT_EQ(error.Reason(), c.reason) << error.what();
    EXPECT_EQ(error.ErrorNumber(), c.errorNumber) << error.what();
  }
  if (existed) {
    EXPECT_EQ(ReadBytes(path), before);
  }
  EXPECT_EQ(Listing(folder_), listing);
}

INSTANTIATE_TEST_SUITE_P(Paths, WriteFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo
