// The INI reader over a fuzzed file, then one write into it and the read-back of what was
// written: whatever the file held before, a setting written is the setting read.
//
// Input: the section name to read up to the first newline, then the file's bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "platform/testing/scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string section(input.substr(0, newline));
  const std::string content(newline == std::string_view::npos ? "" : input.substr(newline + 1));
  static const qm::testing::ScratchFolder scratch(qm::testing::ScratchPlace::kMemoryWhereAvailable);
  const std::string path = scratch.Write("settings.ini", content);

  (void)qm::ReadSettingsSection(path, section);

  // A key name the input cannot shadow with a longer list of names before it.
  const std::string key = "QmFuzzKey";
  const std::string value = "written value";
  qm::WriteSetting(path, "Fuzz", key, value);
  bool found = false;
  // A key line already there keeps its spelling of the name.
  for (const std::string& line : qm::ReadSettingsSection(path, "Fuzz"))
    if (qm::Cp1251EqualNoCase(line, key + "=" + value)) found = true;
  if (!found) {
    std::fprintf(stderr, "the setting written was not read back\n");
    std::abort();
  }
  return 0;
}
