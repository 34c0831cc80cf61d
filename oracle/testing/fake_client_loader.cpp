#include "oracle/testing/fake_client_loader.h"

#include "oci/oci.h"
#include "oracle/oci_entry_point_names.h"

namespace qm::testing {

namespace {

#define QM_NAME(name) #name,
const std::set<std::string> kOci7 = {QM_OCI7_NAMES(QM_NAME) QM_OLOG_NAMES(QM_NAME)
                                         QM_OPINIT_NAMES(QM_NAME)};
const std::set<std::string> kOci8 = {QM_OCI8_NAMES(QM_NAME)};
const std::set<std::string> kOci81 = {QM_OCI81_NAMES(QM_NAME)};
#undef QM_NAME

sword FakeOpinit(ub4 mode) {
  ++FakeClientLoader::opinitCalls;
  FakeClientLoader::opinitMode = mode;
  return OCI_SUCCESS;
}

sword FakeInitialize(ub4 mode, void*, void* (*)(void*, std::size_t),
                     void* (*)(void*, void*, std::size_t), void (*)(void*, void*)) {
  ++FakeClientLoader::initializeCalls;
  FakeClientLoader::initializeMode = mode;
  return OCI_SUCCESS;
}

// Stands for every function that the tests never call.
char uncalled;

class FakeLibrary : public LoadedLibrary {
 public:
  FakeLibrary(const std::set<std::string>& exports, std::vector<std::string>& lookups)
      : exports_(exports), lookups_(lookups) {}

  void* Symbol(const char* name) const override {
    lookups_.push_back(name);
    if (exports_.count(name) == 0) return nullptr;
    const std::string n = name;
    if (n == "opinit") return reinterpret_cast<void*>(&FakeOpinit);
    if (n == "OCIInitialize") return reinterpret_cast<void*>(&FakeInitialize);
    return &uncalled;
  }
  std::uintptr_t HandleValue() const override { return 0x1000; }

 private:
  std::set<std::string> exports_;
  std::vector<std::string>& lookups_;
};

}  // namespace

int FakeClientLoader::opinitCalls = 0;
unsigned FakeClientLoader::opinitMode = 99;
int FakeClientLoader::initializeCalls = 0;
unsigned FakeClientLoader::initializeMode = 99;

void FakeClientLoader::ResetCalls() {
  opinitCalls = initializeCalls = 0;
  opinitMode = initializeMode = 99;
}

std::set<std::string> Oci7Names() {
  return kOci7;
}
std::set<std::string> Oci8Names() {
  return kOci8;
}
std::set<std::string> Oci81Names() {
  return kOci81;
}

void FakeClientLoader::AddLibrary(const std::string& path, std::set<std::string> exports) {
  libraries_[path] = std::move(exports);
}

std::unique_ptr<LoadedLibrary> FakeClientLoader::Load(const std::string& path) {
  loads.push_back(path);
  const auto it = libraries_.find(path);
  if (it == libraries_.end() || (loadCondition && !loadCondition())) return nullptr;
  return std::make_unique<FakeLibrary>(it->second, lookups);
}

}  // namespace qm::testing
