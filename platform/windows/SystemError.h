#pragma once
// Windows error codes as the errno values the file seam speaks.
#include "platform/windows/WindowsApi.h"

namespace vellumo::windows {

// ERROR_FILE_NOT_FOUND -> ENOENT, ERROR_ACCESS_DENIED -> EACCES, ...;
// EIO for what has no closer match.
int ErrnoFrom(DWORD error);
// The same for GetLastError().
int LastErrno();

}  // namespace vellumo::windows
