#include "app/win32/unattended/UnattendedEnvironment.h"

#include <cwchar>
#include <string>

#include "platform/windows/Utf16.h"

namespace vellumo {

namespace {

std::wstring Variable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

}  // namespace

Win32UnattendedMode UnattendedModeFromEnvironment() {
  const std::wstring closeAfter = Variable(L"VELLUMO_CLOSE_AFTER");
  return Win32UnattendedMode(windows::Utf8(Variable(L"VELLUMO_AUTO_ANSWER")),
                             Variable(L"VELLUMO_BOX_LOG"), Variable(L"VELLUMO_SCREENSHOT"),
                             static_cast<unsigned>(wcstoul(closeAfter.c_str(), nullptr, 10)));
}

}  // namespace vellumo
