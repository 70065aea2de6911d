#pragma once
// The one way a file's content is replaced on POSIX: the new bytes go to a
// temporary file in the same folder, are flushed to disk and renamed over
// the file, with the file's mode bits.
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/RegularFile.h"

namespace vellumo::posix {

enum class Replacement {
  // The host's file: its owner stays, and where a rename would change the
  // file's identity (a folder we may not write, other hard links, an owner
  // we cannot give back) it is written in place instead and flushed.
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

// Replaces or creates the file at `target` (links are not followed: see
// ResolveLinks). Refuses, changing nothing and leaving no temporary file,
// what the one permission rule refuses: anything but a regular file, a file
// whose mode has no write bit at all (even for root), a file we may not
// write.
FileStatus ReplaceFile(const std::string& target, const NewContent& content, Replacement how);

// The file that symbolic links at `path` lead to, or the place of a new
// one; `error` is set (ELOOP, ...) when the links cannot be followed.
std::string ResolveLinks(const std::string& path, int& error);

// The rest of an open file, or nothing when a read fails (errno set).
bool ReadToEnd(RegularFile& file, std::string& bytes);

}  // namespace vellumo::posix
