#pragma once
// A shared library loaded with dlopen, unloaded with dlclose when the object goes. The loader
// that hands them out is the program's LibraryLoader.

#include <memory>
#include <string>

#include "platform/library_loader.h"

namespace qm {

class DynamicLibrary : public LoadedLibrary {
 public:
  // Loads `path` with all its names resolved at once; nullptr when dlopen fails, with the reason
  // in `error` when given.
  static std::unique_ptr<DynamicLibrary> Open(const std::string& path,
                                              std::string* error = nullptr);
  ~DynamicLibrary() override;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  void* Symbol(const char* name) const override;
  std::uintptr_t HandleValue() const override;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

class DynamicLibraryLoader : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override;
};

}  // namespace qm
