#pragma once
// A LibraryLoader for the client loader's tests: libraries are made up of a path and the names
// they export; loading and every name lookup are recorded. The exported functions do nothing
// except opinit and OCIInitialize, which count their calls and keep their mode. A load can be
// made to succeed only from a given current directory.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/library_loader.h"

namespace qm::testing {

// The names of one entry point group (oci_entry_point_names.h).
std::set<std::string> Oci7Names();  // release 7, olog and opinit
std::set<std::string> Oci8Names();
std::set<std::string> Oci81Names();

class FakeClientLoader : public LibraryLoader {
 public:
  void AddLibrary(const std::string& path, std::set<std::string> exports);
  // When set, a load succeeds only while this returns true.
  std::function<bool()> loadCondition;

  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override;

  std::vector<std::string> loads;    // every path asked for, in order
  std::vector<std::string> lookups;  // every name looked up, in order

  static int opinitCalls;
  static unsigned opinitMode;
  static int initializeCalls;
  static unsigned initializeMode;
  static void ResetCalls();

 private:
  std::map<std::string, std::set<std::string>> libraries_;
};

}  // namespace qm::testing
