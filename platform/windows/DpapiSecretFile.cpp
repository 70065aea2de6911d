// The secret file's Windows side: %LOCALAPPDATA%\Vellumo\NAME, its bytes
// protected for the current user with DPAPI (CryptProtectData), replaced
// through a temporary file so that a crash leaves the old content or the
// new.
#include <windows.h>
// The other Windows headers need windows.h first.
#include <dpapi.h>
#include <shlobj.h>

#include <string>
#include <utility>

#include "platform/SecretFile.h"

namespace vellumo {
namespace {

// Binds the protected bytes to this use, so that another program's DPAPI
// blob cannot pass for ours.
constexpr char kEntropy[] = "Vellumo OAuth refresh tokens";

std::wstring LocalAppData() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) {
    folder = path;
  }
  CoTaskMemFree(path);
  return folder;
}

DATA_BLOB Blob(const char* bytes, std::size_t size) {
  DATA_BLOB blob;
  blob.cbData = static_cast<DWORD>(size);
  blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes));
  return blob;
}

DATA_BLOB Blob(const std::string& bytes) { return Blob(bytes.data(), bytes.size()); }

class DpapiSecretFile : public SecretFile {
 public:
  DpapiSecretFile(std::wstring folder, const std::wstring& name)
      : folder_(std::move(folder)), path_(folder_ + L"\\" + name) {}

  std::optional<std::string> Read() override {
    if (folder_.empty()) return std::nullopt;
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::string();
      return std::nullopt;
    }
    std::string sealed;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
      sealed.append(buffer, got);
    }
    CloseHandle(file);
    if (!ok) return std::nullopt;
    if (sealed.empty()) return std::string();

    DATA_BLOB in = Blob(sealed);
    DATA_BLOB entropy = Blob(kEntropy, sizeof kEntropy - 1);
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out)) {
      return std::nullopt;
    }
    std::string bytes(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return bytes;
  }

  bool Write(const std::string& bytes) override {
    if (folder_.empty()) return false;
    if (!CreateDirectoryW(folder_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    DATA_BLOB in = Blob(bytes);
    DATA_BLOB entropy = Blob(kEntropy, sizeof kEntropy - 1);
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Vellumo", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out)) {
      return false;
    }
    const std::wstring temporary = path_ + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool written = file != INVALID_HANDLE_VALUE;
    if (written) {
      DWORD put = 0;
      written = WriteFile(file, out.pbData, out.cbData, &put, nullptr) && put == out.cbData &&
                FlushFileBuffers(file);
      CloseHandle(file);
    }
    LocalFree(out.pbData);
    if (!written || !MoveFileExW(temporary.c_str(), path_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(temporary.c_str());
      return false;
    }
    return true;
  }

 private:
  std::wstring folder_;  // empty when Windows gives no local application data
  std::wstring path_;
};

}  // namespace

std::unique_ptr<SecretFile> SecretFileIn(const std::string& folder, const std::string& name) {
  const auto wide = [](const std::string& utf8) {
    std::wstring text(utf8.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), text.data(),
                                           static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
  };
  return std::make_unique<DpapiSecretFile>(wide(folder), wide(name));
}

std::unique_ptr<SecretFile> UserOAuthTokenFile() {
  const std::wstring base = LocalAppData();
  return std::make_unique<DpapiSecretFile>(base.empty() ? base : base + L"\\Vellumo",
                                           L"oauth-refresh-tokens.bin");
}

}  // namespace vellumo
