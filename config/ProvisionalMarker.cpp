#include "config/ProvisionalMarker.h"

#include "config/IniDocument.h"
#include "config/IniEdit.h"
#include "config/IniWriteFailure.h"
#include "config/IntegerText.h"

namespace vellumo {
namespace {

constexpr const char* kMarkerValue = "1";

// The text between the line's value bounds, as written in the file.
std::string WrittenValue(const IniDocument& document, const IniLine& line) {
  const std::vector<std::uint16_t> units = ToUnits(document.Bytes(), document.Encoding());
  return DecodeUnits(units.data() + line.valueBegin, line.valueEnd - line.valueBegin,
                     document.Encoding());
}

}  // namespace

std::unique_ptr<ProvisionalMarker> ProvisionalMarker::Place(FileSystem& files,
                                                            const std::string& path,
                                                            const std::string& section,
                                                            const std::string& key) {
  std::unique_ptr<ProvisionalMarker> marker(new ProvisionalMarker(files));
  marker->path_ = path;
  marker->section_ = section;
  marker->key_ = key;
  bool placed = false;
  RequireWritten(path, files.EditFile(path, [&](const FileBytes& now) -> std::optional<std::string> {
    if (!now.exists) return std::nullopt;
    const IniDocument document(now.bytes);
    const IniLine* line = document.FindKey(section, key);
    if (line && ParseInt32(line->value).value_or(0) != 0) return std::nullopt;
    if (line) marker->formerValue_ = WrittenValue(document, *line);
    marker->sectionAdded_ = document.FirstHeaderLine(section) < 0;
    marker->marked_ = WithValue(document, section, key, kMarkerValue);
    marker->original_ = now.bytes;
    placed = true;
    return marker->marked_;
  }));
  if (!placed) marker.reset();
  return marker;
}

void ProvisionalMarker::Remove() const {
  RequireWritten(path_, files_.EditFile(path_, [&](const FileBytes& now) -> std::optional<std::string> {
    if (!now.exists) return std::nullopt;
    if (now.bytes == marked_) return original_;

    // Someone else wrote meanwhile: their changes stay. A marker that is no
    // longer the one Place wrote is theirs too.
    const IniDocument document(now.bytes);
    const IniLine* line = document.FindKey(section_, key_);
    if (!line || line->value != kMarkerValue) return std::nullopt;
    std::string updated = formerValue_ ? WithValue(document, section_, key_, *formerValue_)
                                       : WithoutKey(document, section_, key_, sectionAdded_);
    if (updated == now.bytes) return std::nullopt;
    return updated;
  }));
}

}  // namespace vellumo
