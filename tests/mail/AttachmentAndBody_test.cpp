#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/MessageWireFormat.h"
#include "tests/mail/PythonEmailReader.h"

namespace vellumo {
namespace {

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
    const auto decoded = test::DecodeWithPython(
        test::RawMessage({"Content-Type: application/pdf", header}));
    EXPECT_EQ(decoded.FileName, name) << header;
    EXPECT_EQ(decoded.Defects, 0) << header;
  }
}

TEST(MessageModel, ClearAndAttachment) {
  MailMessage message;
  message.From.SetText("Ventes <ventes@exemple.fr>");
  message.ReplyTo.SetEMailAddresses("a@b.fr");
  message.ReceiptRecipient.SetText("a@b.fr");
  message.Recipients.SetEMailAddresses("a@b.fr");
  message.CCList.Add().Address = "c@d.fr";
  message.BccList.Add().Address = "e@f.fr";
  message.Subject = "x";
  message.Priority = 0;
  message.Body = {"ligne"};
  message.AddAttachment("/tmp/a.pdf");
  message.Clear();
  EXPECT_TRUE(message.From.IsEmpty());
  EXPECT_TRUE(message.ReplyTo.Empty());
  EXPECT_TRUE(message.ReceiptRecipient.IsEmpty());
  EXPECT_TRUE(message.Recipients.Empty());
  EXPECT_TRUE(message.CCList.Empty());
  EXPECT_TRUE(message.BccList.Empty());
  EXPECT_EQ(message.Subject, "");
  EXPECT_EQ(message.Priority, 2);
  EXPECT_TRUE(message.Body.empty());
  EXPECT_EQ(message.Attachment(), nullptr);

  const std::vector<std::pair<std::string, std::string>> paths = {
      {"/srv/docs/Commande 42.pdf", "Commande 42.pdf"},
      {"C:\\Documents\\Commande été.pdf", "Commande été.pdf"},
      {"C:\\mixte/dossier\\fichier.pdf", "fichier.pdf"},
      {"seul.pdf", "seul.pdf"},
      {"/dossier/", ""},
      {"", ""},
  };
  for (const auto& [path, name] : paths) {
    AttachmentFile* attachment = message.AddAttachment(path);
    ASSERT_EQ(attachment, message.Attachment());
    EXPECT_EQ(attachment->StoredPath, path);
    EXPECT_EQ(attachment->FileName, name) << path;
  }
}

TEST(BodyText, LinesJoinedWithCrlf) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, ""},
      {{""}, ""},
      {{"Bonjour,", "", "Cordialement."}, "Bonjour,\r\n\r\nCordialement."},
      {{"été €", ".point"}, "été €\r\n.point"},
      {{"a\nb", "c\r\nd", "e\rf"}, "a\r\nb\r\nc\r\nd\r\ne\r\nf"},
  };
  for (const auto& [lines, text] : cases) {
    MailMessage message;
    message.Body = lines;
    EXPECT_EQ(BuildBodyText(message), text);
  }
}

}  // namespace
}  // namespace vellumo
