#pragma once
// The real proxies that the ctest fixture (scripts/proxy-fixture.sh) starts:
// their ports and the SOCKS5 test user, read from the file it writes.
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace net::testing {

struct ProxyFixture {
  std::map<std::string, std::string> values;  // socks, http, user, password
  // Without the variable a test is being run by hand (and may skip);
  // under ctest a fixture that did not start is a failure.
  bool requested = false;
  bool ok = false;
};

inline ProxyFixture ReadProxyFixture() {
  ProxyFixture f;
  const char* path = std::getenv("HALYARD_PROXY_FIXTURE");
  f.requested = path != nullptr;
  if (!path) return f;
  std::ifstream in(path);
  std::string key, value;
  while (in >> key >> value) f.values[key] = value;
  f.ok = f.values.count("socks") && f.values.count("http");
  return f;
}

}  // namespace net::testing
