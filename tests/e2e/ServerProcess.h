#pragma once
// A Python test server run as a child process: it prints "PORT n" once it
// listens on 127.0.0.1 and ends when its standard input closes.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/TestScripts.h"

namespace vellumo::testing {

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Runs TestPython() with `arguments` and waits for its port; throws
  // std::runtime_error naming `what` when it does not start.
  void Start(const std::vector<std::string>& arguments, const std::string& what);
  std::uint16_t Port() const { return port_; }
  // Closes its input, waits up to 5 s for it to end, then kills it.
  // Idempotent.
  void Stop();

 private:
  pid_t pid_ = -1;
  int stdinFd_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace vellumo::testing
