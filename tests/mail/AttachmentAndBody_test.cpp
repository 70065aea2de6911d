#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/SentMailReader.h"
#include "mail/AttachmentHeaders.h"
#include "tests/mail/ComposeFromIni.h"

namespace vellumo {
namespace {

using testing::ReadHeaderLines;

TEST(ContentTypes, ByExtensionIgnoringCase) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Commande.pdf", "application/pdf"},
      {"COMMANDE.PDF", "application/pdf"},
      {"a.doc", "application/msword"},
      {"a.docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
      {"a.xls", "application/vnd.ms-excel"},
      {"a.XLSX", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"a.odt", "application/vnd.oasis.opendocument.text"},
      {"a.ods", "application/vnd.oasis.opendocument.spreadsheet"},
      {"notes.txt", "text/plain"},
      {"export.csv", "text/csv"},
      {"facture.xml", "application/xml"},
      {"page.html", "text/html"},
      {"page.HTM", "text/html"},
      {"photo.jpg", "image/jpeg"},
      {"photo.Jpeg", "image/jpeg"},
      {"logo.png", "image/png"},
      {"archive.tar.zip", "application/zip"},
      {"sans_extension", "application/octet-stream"},
      {"dossier.pdf/fichier", "application/octet-stream"},
      {"dossier.pdf\\fichier", "application/octet-stream"},
      {"fin.", "application/octet-stream"},
      {"a.pdfx", "application/octet-stream"},
      {"", "application/octet-stream"},
  };
  for (const auto& [name, type] : cases) EXPECT_EQ(ContentTypeForFileName(name), type) << name;
}

TEST(AttachmentDisposition, PlainAndEmptyNames) {
  EXPECT_EQ(AttachmentDispositionHeader(""), "Content-Disposition: attachment");
  EXPECT_EQ(AttachmentDispositionHeader("Commande 42.pdf"),
            "Content-Disposition: attachment; filename=\"Commande 42.pdf\"");
}

TEST(AttachmentDisposition, PythonReadsTheExactName) {
  const std::vector<std::string> names = {
      "Commande 42.pdf",
      "Commande n°42 été.pdf",
      "Devis \"urgent\" C:\\temp.pdf",
      "a%20b=?x?=.pdf",
      std::string(120, 'a') + ".pdf",
      "Commande très très très longue pour la société Générale n°123456 du 05/03/2024 €.pdf",
      "日本語の注文書日本語の注文書日本語の注文書日本語の注文書.pdf",
  };
  for (const std::string& name : names) {
    const std::string header = AttachmentDispositionHeader(name);
    for (std::size_t start = 0; start <= header.size();) {
      const std::size_t end = std::min(header.find("\r\n", start), header.size());
      EXPECT_LE(end - start, 78u) << header;
      start = end + 2;
    }
    const auto decoded = ReadHeaderLines({"Content-Type: application/pdf", header});
    EXPECT_EQ(decoded.at("attachment-name"), name) << header;
    EXPECT_EQ(decoded.at("defects"), "0") << header;
  }
}

// The document is named by the host apart from its path, which is only
// read when the message is sent.
TEST(MessageAttachment, NamedApartFromItsPath) {
  struct Case {
    const char* keys;
    MessageAttachment expected;
  };
  const Case cases[] = {
      {"FilePath=/srv/c42.pdf\nFileName=Commande n°42 été.pdf",
       {"/srv/c42.pdf", "Commande n°42 été.pdf", "application/pdf", ""}},
      {"FilePath=/srv/c42.pdf", {"/srv/c42.pdf", "", "application/octet-stream", ""}},
      {"FileName=Commande.txt", {"", "Commande.txt", "text/plain", ""}},
  };
  for (const Case& c : cases) {
    const auto attachment =
        test::Compose("AdresseEnvoi=v@x.fr\nEnvoyerA=a@b.fr\n" + std::string(c.keys)).Attachment();
    ASSERT_TRUE(attachment.has_value()) << c.keys;
    EXPECT_EQ(attachment->Path, c.expected.Path) << c.keys;
    EXPECT_EQ(attachment->Name, c.expected.Name) << c.keys;
    EXPECT_EQ(attachment->ContentType, c.expected.ContentType) << c.keys;
    EXPECT_EQ(attachment->Disposition, AttachmentDispositionHeader(c.expected.Name)) << c.keys;
  }
}

// Each EmailCorps key is one line, its text after the first "="; a CR inside
// a value still reaches the wire as CRLF.
TEST(BodyText, LinesJoinedWithCrlf) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"L1=", ""},
      {"L1=Bonjour,\nL2=\nL3=Cordialement.", "Bonjour,\r\n\r\nCordialement."},
      {"L1=Total = 42 €\nL2=.point\nL3==début", "Total = 42 €\r\n.point\r\n=début"},
      {"L1=a\rb\nL2=c\r\rd", "a\r\nb\r\nc\r\n\r\nd"},
  };
  for (const auto& [body, text] : cases) {
    EXPECT_EQ(test::Compose("AdresseEnvoi=v@x.fr\nEnvoyerA=a@b.fr", body).Body(), text) << body;
  }
}

}  // namespace
}  // namespace vellumo
