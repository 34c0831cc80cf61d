#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace qm {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& path, std::string* error) {
  dlerror();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* reason = dlerror();
      *error = reason != nullptr ? reason : "";
    }
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
  dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
  return dlsym(handle_, name);
}

std::uintptr_t DynamicLibrary::HandleValue() const {
  return reinterpret_cast<std::uintptr_t>(handle_);
}

std::unique_ptr<LoadedLibrary> DynamicLibraryLoader::Load(const std::string& path) {
  return DynamicLibrary::Open(path);
}

}  // namespace qm
