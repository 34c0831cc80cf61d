#pragma once
// Loading a shared library at run time and looking up its exported names, behind a small
// interface: the Oracle client loader runs on the system's loader in the program and on fakes in
// tests (libraries that export a chosen set of names, or fail to load).

#include <cstdint>
#include <memory>
#include <string>

namespace qm {

// A loaded library; destroying it unloads it.
class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;
  // The address of an exported name, or nullptr when the library does not export it.
  virtual void* Symbol(const char* name) const = 0;
  // A number that identifies the loaded library (never 0), as shown in diagnostics.
  virtual std::uintptr_t HandleValue() const = 0;
};

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // Loads the library at `path`; nullptr when it cannot be loaded.
  virtual std::unique_ptr<LoadedLibrary> Load(const std::string& path) = 0;
};

}  // namespace qm
