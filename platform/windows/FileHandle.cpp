#include "platform/windows/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/windows/SystemError.h"
#include "platform/windows/Utf16.h"

namespace vellumo::windows {

FileHandle::~FileHandle() {
  if (IsOpen()) ::CloseHandle(handle_);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::CloseHandle(handle_);
    handle_ = other.handle_;
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  return *this;
}

bool FileHandle::Close() {
  const HANDLE handle = handle_;
  handle_ = INVALID_HANDLE_VALUE;
  return ::CloseHandle(handle) != 0;
}

std::wstring WidePath(const std::string& path) {
  std::wstring wide = Utf16(path);
  // Short paths go as they are; the margin leaves room for the name of a
  // temporary file beside them.
  constexpr std::size_t kShort = MAX_PATH - 40;
  if (wide.size() < kShort || wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) {
    return wide;
  }
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

int PathErrno(const std::wstring& path, DWORD error) {
  if (error != ERROR_PATH_NOT_FOUND && error != ERROR_DIRECTORY) return ErrnoFrom(error);
  std::wstring ancestor = path;
  for (;;) {
    const std::size_t slash = ancestor.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) return ENOENT;
    ancestor.resize(slash);
    const DWORD attributes = ::GetFileAttributesW(ancestor.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ENOENT : ENOTDIR;
    }
  }
}

FileHandle OpenExisting(const std::wstring& path, DWORD access, DWORD sharing, DWORD flags) {
  return FileHandle(
      ::CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, flags, nullptr));
}

bool IsDiskFile(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(handle, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace vellumo::windows
