// Content type of the attached document, from its file name.
#include <string_view>

#include "mail/AttachmentHeaders.h"
#include "text/AsciiText.h"

namespace vellumo {

std::string ContentTypeForFileName(const std::string& fileName) {
  struct Entry {
    std::string_view extension;
    std::string_view type;
  };
  static constexpr Entry kTypes[] = {
      {"pdf", "application/pdf"},
      {"doc", "application/msword"},
      {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
      {"xls", "application/vnd.ms-excel"},
      {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"odt", "application/vnd.oasis.opendocument.text"},
      {"ods", "application/vnd.oasis.opendocument.spreadsheet"},
      {"rtf", "application/rtf"},
      {"txt", "text/plain"},
      {"csv", "text/csv"},
      {"xml", "application/xml"},
      {"html", "text/html"},
      {"htm", "text/html"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"png", "image/png"},
      {"gif", "image/gif"},
      {"zip", "application/zip"},
  };
  const std::size_t dot = fileName.find_last_of("./\\");
  if (dot != std::string::npos && fileName[dot] == '.') {
    const std::string extension = LowerAscii(std::string_view(fileName).substr(dot + 1));
    for (const Entry& entry : kTypes) {
      if (entry.extension == extension) return std::string(entry.type);
    }
  }
  return "application/octet-stream";
}

}  // namespace vellumo
