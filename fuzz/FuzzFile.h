#pragma once
// One scratch file per fuzzing process, in memory when /dev/shm exists so
// that the many writes and flushes stay cheap.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace vellumo::fuzz {

inline const std::string& ScratchPath() {
  static const std::string path = [] {
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/vellumo-fuzz-XXXXXX");
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) abort();
    ::close(fd);
    return pattern;
  }();
  return path;
}

inline void WriteScratch(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (!file) abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) abort();
  if (std::fclose(file) != 0) abort();
}

inline std::string ReadScratch() {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "rb");
  if (!file) abort();
  std::string bytes;
  char buffer[4096];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, count);
  std::fclose(file);
  return bytes;
}

}  // namespace vellumo::fuzz
