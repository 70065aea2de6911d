#pragma once
// The failure marker put into the host's file before a run goes to the
// network, so that a run that never ends (killed, crashed, power cut) reads
// as failed; a run that succeeds takes it out again.
#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace vellumo {

class ProvisionalMarker {
 public:
  // Sets `key` in `section` to 1, unless the file is missing or the key
  // already reads true. Returns nullptr when nothing was written. Throws
  // IniWriteError when the file cannot be written. `files` must outlive the
  // marker.
  static std::unique_ptr<ProvisionalMarker> Place(FileSystem& files, const std::string& path,
                                                  const std::string& section,
                                                  const std::string& key);

  // Takes out what Place put in. A file still exactly as Place left it gets
  // its original bytes back; one that someone else wrote since loses only
  // the key Place added (and the section, when Place added it and nothing
  // else went into it), or gets the key's former value back. Throws
  // IniWriteError.
  void Remove() const;

 private:
  explicit ProvisionalMarker(FileSystem& files) : files_(files) {}

  FileSystem& files_;
  std::string path_;
  std::string section_;
  std::string key_;
  std::string original_;  // the file's bytes before Place
  std::string marked_;    // the bytes Place wrote
  // The value Place replaced, as written (quotes included), when the key
  // was there already.
  std::optional<std::string> formerValue_;
  bool sectionAdded_ = false;
};

}  // namespace vellumo
