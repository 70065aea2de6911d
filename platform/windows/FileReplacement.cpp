#include "platform/windows/FileReplacement.h"

#include <atomic>
#include <cerrno>
#include <optional>
#include <vector>

#include "platform/windows/FileHandle.h"
#include "platform/windows/SystemError.h"
#include "platform/windows/WindowsApi.h"

namespace vellumo::windows {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileStatus Failure(int errorNumber) { return {FileRefusal::SystemError, errorNumber}; }
FileStatus LastFailure() { return Failure(LastErrno()); }

// The temporary file, removed unless it has been moved into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::wstring& target) {
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
    // A long name is left out: the temporary one must stay within the
    // 255-character limit of a file name.
    if (name.size() > 200) name = L"vellumo";
    // CREATE_NEW makes the name ours; the counter and the clock only make
    // a clash unlikely.
    static std::atomic<unsigned> counter = 0;
    for (int attempt = 0; attempt < 100 && !handle_.IsOpen(); ++attempt) {
      const unsigned long long seed =
          (::GetTickCount64() << 20) ^ (::GetCurrentProcessId() << 8) ^ (++counter * 2654435761u);
      std::wstring suffix = L".";
      for (int shift = 20; shift >= 0; shift -= 4)
        suffix += L"0123456789abcdef"[(seed >> shift) & 0xF];
      path_ = folder + L"." + name + suffix;
      handle_ = FileHandle(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!handle_.IsOpen() && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    created_ = handle_.IsOpen();
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    handle_ = FileHandle();
    if (created_ && !moved_) ::DeleteFileW(path_.c_str());
  }

  bool IsOpen() const { return handle_.IsOpen(); }
  HANDLE Get() const { return handle_.Get(); }
  bool Close() { return handle_.Close(); }
  bool MoveTo(const std::wstring& target) {
    moved_ = ::MoveFileExW(path_.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    return moved_;
  }
  void SetAttributes(DWORD attributes) {
    if (attributes != 0) ::SetFileAttributesW(path_.c_str(), attributes);
  }
  bool Replace(const std::wstring& target) {
    moved_ = ::ReplaceFileW(target.c_str(), path_.c_str(), nullptr, 0, nullptr, nullptr) != 0;
    return moved_;
  }

 private:
  std::wstring path_;
  FileHandle handle_;
  bool created_ = false;
  bool moved_ = false;
};

// 0, or the errno value of the failed read or write.
int WriteContent(HANDLE file, const NewContent& content) {
  if (!content.from) return WriteAll(file, content.bytes) ? 0 : LastErrno();
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const std::optional<std::size_t> got = content.from->Read(buffer.data(), buffer.size());
    if (!got) return errno;
    if (*got == 0) return 0;
    if (!WriteAll(file, std::string_view(buffer.data(), *got))) return LastErrno();
  }
}

// Nothing, with nothing changed, when the host's file cannot be replaced
// and is to be written in place.
// `attributes`: the existing file's, or INVALID_FILE_ATTRIBUTES.
std::optional<FileStatus> WriteThroughReplacement(const std::wstring& target,
                                                  const NewContent& content, DWORD attributes,
                                                  Replacement how) {
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  const bool keepIdentity = exists && how == Replacement::KeepIdentity;
  TemporaryFile temporary(target);
  if (!temporary.IsOpen()) {
    // A folder we may not write still holds a file we may.
    if (keepIdentity && ::GetLastError() == ERROR_ACCESS_DENIED) return std::nullopt;
    return LastFailure();
  }
  if (const int error = WriteContent(temporary.Get(), content); error != 0) return Failure(error);
  if (!::FlushFileBuffers(temporary.Get())) return LastFailure();
  if (!temporary.Close()) return LastFailure();
  if (!keepIdentity) {
    if (!temporary.MoveTo(target)) return LastFailure();
    return FileStatus{};
  }
  // ReplaceFileW carries them over on Windows, not under Wine.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  temporary.SetAttributes(attributes & kKept);
  if (temporary.Replace(target)) return FileStatus{};
  // Held open by another program without leave to delete, or an ACL that
  // cannot be carried over. Should the file have gone meanwhile, the new
  // content, whole on disk, takes its name.
  if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
      ::GetLastError() == ERROR_FILE_NOT_FOUND) {
    if (!temporary.MoveTo(target)) return LastFailure();
    return FileStatus{};
  }
  return std::nullopt;
}

FileStatus WriteInPlace(const std::wstring& target, const NewContent& content) {
  std::string bytes;
  if (content.from && !ReadToEnd(*content.from, bytes)) return Failure(errno);
  const std::string_view wanted = content.from ? std::string_view(bytes) : content.bytes;

  FileHandle file = OpenExisting(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  if (!file.IsOpen()) return LastFailure();
  if (!IsDiskFile(file.Get())) return Failure(EINVAL);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) return LastFailure();

  // Only the bytes from the first change on are written, so that a crash
  // midway leaves the least possible torn; the marker mostly adds at the end.
  std::string current(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!current.empty() &&
      !::ReadFile(file.Get(), current.data(), static_cast<DWORD>(current.size()), &read, nullptr)) {
    return LastFailure();
  }
  current.resize(read);
  std::size_t same = 0;
  while (same < current.size() && same < wanted.size() && current[same] == wanted[same]) ++same;

  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(same);
  if (!::SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN)) return LastFailure();
  if (!WriteAll(file.Get(), wanted.substr(same))) return LastFailure();
  if (!::SetEndOfFile(file.Get())) return LastFailure();
  if (!::FlushFileBuffers(file.Get())) return LastFailure();
  if (!file.Close()) return LastFailure();
  return {};
}

// Whether an existing file may be replaced, and how many names it has.
FileStatus MayReplace(const std::wstring& target, DWORD attributes, DWORD& links) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {FileRefusal::NotRegularFile, 0};
  // Windows itself refuses to replace a read-only file.
  if (attributes & FILE_ATTRIBUTE_READONLY) return {FileRefusal::ReadOnly, 0};
  // A file we may not write (its ACL, or a program holding it open against
  // writers) is refused before anything is made.
  const FileHandle file = OpenExisting(target, FILE_WRITE_DATA | FILE_READ_ATTRIBUTES, kShareAll);
  if (!file.IsOpen()) return LastFailure();
  BY_HANDLE_FILE_INFORMATION identity{};
  if (!IsDiskFile(file.Get()) || !::GetFileInformationByHandle(file.Get(), &identity)) {
    return {FileRefusal::NotRegularFile, 0};
  }
  links = identity.nNumberOfLinks;
  return {};
}

bool MayDelete(const std::wstring& target) {
  return OpenExisting(target, DELETE, kShareAll).IsOpen();
}

}  // namespace

FileStatus ReplaceFile(const std::wstring& target, const NewContent& content, Replacement how) {
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) return LastFailure();
  if (exists) {
    DWORD links = 1;
    if (const FileStatus refused = MayReplace(target, attributes, links); !refused.Done()) {
      return refused;
    }
    // A replacement would leave the file's other names the old content;
    // one that others hold open without leave to delete cannot be made.
    if (how == Replacement::KeepIdentity && (links > 1 || !MayDelete(target))) {
      return WriteInPlace(target, content);
    }
  }
  if (const auto status = WriteThroughReplacement(target, content, attributes, how)) return *status;
  return WriteInPlace(target, content);
}

std::wstring ResolveLinks(const std::wstring& path, int& error) {
  error = 0;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  // A missing path is written as it is; the write then says why it cannot be.
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return path;
  }
  const FileHandle file = OpenExisting(path, 0, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
  if (!file.IsOpen()) {
    error = LastErrno();
    return path;
  }
  std::wstring resolved(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(file.Get(), resolved.data(),
                                                     static_cast<DWORD>(resolved.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) {
      error = LastErrno();
      return path;
    }
    if (length < resolved.size()) {
      resolved.resize(length);
      return resolved;
    }
    resolved.resize(length);
  }
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION infoA{};
  BY_HANDLE_FILE_INFORMATION infoB{};
  const FileHandle fileA = OpenExisting(a, 0, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
  const FileHandle fileB = OpenExisting(b, 0, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
  return fileA.IsOpen() && fileB.IsOpen() && ::GetFileInformationByHandle(fileA.Get(), &infoA) &&
         ::GetFileInformationByHandle(fileB.Get(), &infoB) &&
         infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
         infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool ReadToEnd(RegularFile& file, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const std::optional<std::size_t> count = file.Read(buffer, sizeof buffer);
    if (!count) return false;
    if (*count == 0) return true;
    bytes.append(buffer, *count);
  }
}

}  // namespace vellumo::windows
