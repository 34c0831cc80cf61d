// The registry file reader over fuzzed text. Rewriting a file must lose nothing it kept: the
// text written for what was read reads back to the same keys and values, so a second rewrite
// gives the same text. Lookups run over every key and value read.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const qm::RegistryFile file = qm::RegistryFile::Parse(text);
  for (const qm::RegistryFile::Key& key : file.Keys()) {
    if (!file.KeyExists(key.path) || file.FindKey(key.path) != &key) std::abort();
    for (const qm::RegistryFile::Value& value : key.values)
      if (file.Read(key.path, value.name) != value.value) std::abort();
  }

  const std::string once = file.Format();
  const std::string twice = qm::RegistryFile::Parse(once).Format();
  if (once != twice) {
    std::fprintf(stderr, "rewriting changed the file:\n--- first\n");
    std::fwrite(once.data(), 1, once.size(), stderr);
    std::fprintf(stderr, "\n--- second\n");
    std::fwrite(twice.data(), 1, twice.size(), stderr);
    std::abort();
  }
  return 0;
}
