#pragma once
// Records the copies asked of the system; a copy ends as told,
// touching no file. The host's file is read and written for real, and each
// read is recorded.
#include <string>
#include <vector>

#include "app/SystemServices.h"

namespace vellumo::testing {

class FakeSystem : public SystemServices, private FileSystem {
 public:
  FileSystem& Files() override { return *this; }

  std::vector<std::string> events;
  CopyResult copyResult = CopyResult::Copied;
  std::vector<std::string> reads;  // the paths read whole, in order

 private:
  FileBytes ReadFile(const std::string& path) override;
  FileStatus EditFile(const std::string& path, const FileEdit& edit) override;
  CopyResult CopyFile(const std::string& source, const std::string& destination) override;
};

}  // namespace vellumo::testing
