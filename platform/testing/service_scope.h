#pragma once
// Test support: a process-wide service swapped for the life of a scope. Each such service has an
// installer that takes the new one and returns the one installed before (SetAppRegistry,
// SetAppDialogs, SetAppBusyCursor, SetAppMainThreadCalls, SetLogonWindowFactory); the scope
// installs on construction and puts the previous one back on destruction, so a test that fails
// half-way leaves the next one the services it found.
//
//   ServiceScope<SetAppRegistry> registry{&memoryRegistry};

#include <utility>

namespace qm::testing {

template <typename Installer>
struct ServiceInstallerTraits;
template <typename Service>
struct ServiceInstallerTraits<Service (*)(Service)> {
  using Type = Service;
};

template <auto Install>
class ServiceScope {
 public:
  using Service = typename ServiceInstallerTraits<decltype(Install)>::Type;

  explicit ServiceScope(Service service) : previous_(Install(std::move(service))) {}
  ~ServiceScope() { Install(std::move(previous_)); }
  ServiceScope(const ServiceScope&) = delete;
  ServiceScope& operator=(const ServiceScope&) = delete;

 private:
  Service previous_;
};

}  // namespace qm::testing
