#pragma once
// A small file of secrets that only the user who runs the program can read
// and that lives between runs: on Linux a file of mode 0600 in the user's
// data folder, on Windows a file in the local application data protected
// for the user with DPAPI. Each platform has its own side.
#include <memory>
#include <optional>
#include <string>

namespace vellumo {

class SecretFile {
 public:
  virtual ~SecretFile() = default;
  // Its content, empty when there is no file yet; nothing when it exists
  // and cannot be read (or, on Windows, not be unprotected).
  virtual std::optional<std::string> Read() = 0;
  // Replaces the content whole, or leaves the old one; false when it could
  // not be written.
  virtual bool Write(const std::string& bytes) = 0;
};

// The secret file `name` in `folder` (a UTF-8 path), the folder made when
// the file is first written.
std::unique_ptr<SecretFile> SecretFileIn(const std::string& folder, const std::string& name);
// The user's cache of OAuth refresh tokens, in the user's data folder.
std::unique_ptr<SecretFile> UserOAuthTokenFile();

}  // namespace vellumo
