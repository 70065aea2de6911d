#include "fakes/FakeSystem.h"

namespace vellumo::testing {

FileBytes FakeSystem::ReadFile(const std::string& path) {
  reads.push_back(path);
  return NativeFileSystem().ReadFile(path);
}

FileStatus FakeSystem::EditFile(const std::string& path, const FileEdit& edit) {
  return NativeFileSystem().EditFile(path, edit);
}

CopyResult FakeSystem::CopyFile(const std::string& source, const std::string& destination) {
  events.push_back("copy " + source + " -> " + destination);
  return copyResult;
}

}  // namespace vellumo::testing
