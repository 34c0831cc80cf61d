// The tnsnames.ora reader over fuzzed files held in memory. The input is split at NUL bytes into
// the files /n0.ora, /n1.ora, ... so that IFILE entries can name each other (and themselves);
// the walk starts at /n0.ora. The aliases found must come out sorted and distinct regardless of
// case.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "oracle/tns_names_reader.h"
#include "platform/codepage.h"
#include "platform/memory_file_system.h"

namespace {

constexpr int kMaxFiles = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  qm::MemoryFileSystem fs;
  for (int n = 0; n < kMaxFiles; ++n) {
    const std::size_t nul = n + 1 < kMaxFiles ? input.find('\0') : std::string_view::npos;
    fs.AddFile("/n" + std::to_string(n) + ".ora", std::string(input.substr(0, nul)));
    if (nul == std::string_view::npos) break;
    input.remove_prefix(nul + 1);
  }

  qm::AliasList aliases;
  qm::TnsNamesReader(fs).Read("/n0.ora", aliases);
  const auto& names = aliases.Names();
  for (std::size_t i = 1; i < names.size(); ++i)
    if (!(qm::Cp1251Upper(names[i - 1]) < qm::Cp1251Upper(names[i]))) std::abort();
  return 0;
}
