#pragma once
// The one way a file's content is replaced on Windows: the new bytes go to a
// temporary file in the same folder, are flushed to disk and put in the
// file's place: ReplaceFileW for the host's file (it keeps the file's ACL,
// attributes and identity), MoveFileExW for a saved copy.
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/RegularFile.h"

namespace vellumo::windows {

enum class Replacement {
  // The host's file: where the replacement cannot be made (a folder we may
  // not write, a file others hold open, other hard links) it is written in
  // place instead and flushed.
  KeepIdentity,
  // A saved copy: the name gets the whole new file or keeps the old one.
  AllOrNothing,
};

// The new content: `bytes`, or when `from` is set that file's bytes from
// its current position to its end.
struct NewContent {
  std::string_view bytes;
  RegularFile* from = nullptr;
};

// Replaces or creates the file at `target`, a wide path (see WidePath).
// Refuses, changing nothing and leaving no temporary file: anything but a
// regular file, a read-only file, a file we may not write.
FileStatus ReplaceFile(const std::wstring& target, const NewContent& content, Replacement how);

// The file that links at `path` lead to; `error` is set when a link cannot
// be followed.
std::wstring ResolveLinks(const std::wstring& path, int& error);

// Whether both paths name one existing file.
bool SameFile(const std::wstring& a, const std::wstring& b);

// The rest of an open file, or nothing when a read fails (errno set).
bool ReadToEnd(RegularFile& file, std::string& bytes);

}  // namespace vellumo::windows
