#include "config/ProvisionalMarker.h"

#include "config/AtomicFileWriter.h"
#include "config/FileBytes.h"
#include "config/IniDocument.h"
#include "config/IniEdit.h"
#include "config/IniWriteFailure.h"
#include "config/IntegerText.h"

namespace vellumo {
namespace {

constexpr const char* kMarkerValue = "1";

FileBytes ReadTarget(const AtomicFileWriter& writer, const std::string& path) {
  FileBytes file = ReadFileBytes(writer.Target());
  if (file.error != 0) throw MakeIniWriteError(path, FrenchSystemErrorText(file.error));
  return file;
}

// The text between the line's value bounds, as written in the file.
std::string WrittenValue(const IniDocument& document, const IniLine& line) {
  const std::vector<std::uint16_t> units = ToUnits(document.Bytes(), document.Encoding());
  return DecodeUnits(units.data() + line.valueBegin, line.valueEnd - line.valueBegin,
                     document.Encoding());
}

}  // namespace

std::unique_ptr<ProvisionalMarker> ProvisionalMarker::Place(const std::string& path,
                                                            const std::string& section,
                                                            const std::string& key) {
  const AtomicFileWriter writer(path);
  FileBytes file = ReadTarget(writer, path);
  if (!file.exists) return nullptr;

  const IniDocument document(file.bytes);
  const IniLine* line = document.FindKey(section, key);
  if (line && ParseInt32(line->value).value_or(0) != 0) return nullptr;

  std::unique_ptr<ProvisionalMarker> marker(new ProvisionalMarker());
  marker->path_ = path;
  marker->section_ = section;
  marker->key_ = key;
  if (line) marker->formerValue_ = WrittenValue(document, *line);
  marker->sectionAdded_ = document.FirstHeaderLine(section) < 0;
  marker->marked_ = WithValue(document, section, key, kMarkerValue);
  writer.Write(marker->marked_);
  marker->original_ = std::move(file.bytes);
  return marker;
}

void ProvisionalMarker::Remove() const {
  const AtomicFileWriter writer(path_);
  const FileBytes file = ReadTarget(writer, path_);
  if (!file.exists) return;
  if (file.bytes == marked_) {
    writer.Write(original_);
    return;
  }

  // Someone else wrote meanwhile: their changes stay. A marker that is no
  // longer the one Place wrote is theirs too.
  const IniDocument document(file.bytes);
  const IniLine* line = document.FindKey(section_, key_);
  if (!line || line->value != kMarkerValue) return;
  const std::string updated = formerValue_ ? WithValue(document, section_, key_, *formerValue_)
                                           : WithoutKey(document, section_, key_, sectionAdded_);
  if (updated != file.bytes) writer.Write(updated);
}

}  // namespace vellumo
