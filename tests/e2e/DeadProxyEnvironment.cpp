// Every SMTP session of the end-to-end tests runs with a proxy in the
// environment that leads nowhere: the client must connect directly.
#include <cstdlib>
#include <initializer_list>

namespace vellumo::testing {
namespace {

const bool kDeadProxySet = [] {
  for (const char* name : {"ALL_PROXY", "all_proxy"}) setenv(name, "socks5://127.0.0.1:9", 1);
  return true;
}();

}  // namespace
}  // namespace vellumo::testing
