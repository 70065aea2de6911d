#pragma once
// <windows.h> without its CopyFile macro, which would rename
// FileSystem::CopyFile to CopyFileA or CopyFileW. Include this rather than
// <windows.h> wherever the file seam is in sight; call CopyFileW by name.
#include <windows.h>
#undef CopyFile
