#include "config/IniWriteFailure.h"

namespace vellumo {
namespace {

std::string Summary(const std::string& path, IniWriteReason reason, int errorNumber) {
  std::string why;
  switch (reason) {
    case IniWriteReason::InvalidSectionName:
      why = "invalid section name";
      break;
    case IniWriteReason::InvalidKeyName:
      why = "invalid key name";
      break;
    case IniWriteReason::NameNotInEncoding:
      why = "name not representable in the file's encoding";
      break;
    case IniWriteReason::NotRegularFile:
      why = "not a regular file";
      break;
    case IniWriteReason::ReadOnly:
      why = "read-only file";
      break;
    case IniWriteReason::SystemError:
      why = "system error " + std::to_string(errorNumber);
      break;
  }
  return "cannot write the configuration file " + path + ": " + why;
}

}  // namespace

IniWriteError::IniWriteError(std::string path, IniWriteReason reason, int errorNumber)
    : std::runtime_error(Summary(path, reason, errorNumber)),
      path_(std::move(path)),
      reason_(reason),
      errorNumber_(errorNumber) {}

void RequireWritten(const std::string& path, const FileStatus& status) {
  switch (status.refusal) {
    case FileRefusal::None:
      return;
    case FileRefusal::NotRegularFile:
      throw IniWriteError(path, IniWriteReason::NotRegularFile);
    case FileRefusal::ReadOnly:
      throw IniWriteError(path, IniWriteReason::ReadOnly);
    case FileRefusal::SystemError:
      break;
  }
  throw IniWriteError(path, IniWriteReason::SystemError, status.error);
}

}  // namespace vellumo
