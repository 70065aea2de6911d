// The secret file's POSIX side: $XDG_DATA_HOME/vellumo/NAME (or
// ~/.local/share), the folder 0700 and the file 0600, replaced through a
// temporary file so that a crash leaves the old content or the new.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/SecretFile.h"
#include "platform/posix/FileDescriptor.h"

namespace vellumo {
namespace {

using posix::FileDescriptor;
using posix::WriteAll;

// The user's data folder as XDG names it; relative values are ignored.
std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string base = home != nullptr && home[0] == '/' ? home : "";
  if (base.empty()) {
    const passwd* user = getpwuid(getuid());
    if (user == nullptr || user->pw_dir == nullptr) return {};
    base = user->pw_dir;
  }
  return base + "/.local/share";
}

// Creates each missing folder of `path`; the last one for the user alone.
bool MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    const bool last = slash == std::string::npos;
    if (mkdir(part.c_str(), last ? 0700 : 0755) != 0 && errno != EEXIST) return false;
    if (last) break;
  }
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

class PosixSecretFile : public SecretFile {
 public:
  PosixSecretFile(std::string folder, std::string name)
      : folder_(std::move(folder)), path_(folder_ + "/" + name) {}

  std::optional<std::string> Read() override {
    if (folder_.empty()) return std::nullopt;
    FileDescriptor file(open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!file.IsOpen()) {
      if (errno == ENOENT) return std::string();
      return std::nullopt;
    }
    struct stat status {};
    // Only a regular file of this user's is ours.
    if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid()) {
      return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
      const ssize_t got = read(file.Get(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return std::nullopt;
      if (got == 0) break;
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
  }

  bool Write(const std::string& bytes) override {
    if (folder_.empty() || !MakeFolders(folder_)) return false;
    std::string temporary = path_ + ".XXXXXX";
    // mkstemp makes the file with mode 0600 whatever the umask.
    FileDescriptor file(mkstemp(temporary.data()));
    if (!file.IsOpen()) return false;
    const bool written = fchmod(file.Get(), 0600) == 0 && WriteAll(file.Get(), bytes) &&
                         fsync(file.Get()) == 0 && file.Close();
    if (!written || rename(temporary.c_str(), path_.c_str()) != 0) {
      unlink(temporary.c_str());
      return false;
    }
    return true;
  }

 private:
  std::string folder_;  // empty when the user has no data folder
  std::string path_;
};

}  // namespace

std::unique_ptr<SecretFile> SecretFileIn(const std::string& folder, const std::string& name) {
  return std::make_unique<PosixSecretFile>(folder, name);
}

std::unique_ptr<SecretFile> UserOAuthTokenFile() {
  const std::string home = DataHome();
  return std::make_unique<PosixSecretFile>(home.empty() ? home : home + "/vellumo",
                                           "oauth-refresh-tokens.json");
}

}  // namespace vellumo
