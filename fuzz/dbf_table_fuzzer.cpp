// The source table over a fuzzed table file and memo file: open, every value of every record
// forwards, then a walk backwards (which refills the reader's buffer from the other side).
//
// Input: one flags byte, a 2-byte little-endian length L, L bytes of table, then the memo file.
// Flags: bit 0 names the memo file t.fpt (which also selects the FoxPro driver) instead of t.dbt;
// bit 1 leaves the memo file out.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/testing/scratch_folder.h"
#include "source/engine_error.h"
#include "source/source_field.h"
#include "source/source_table.h"

namespace {

void ReadAllValues(qm::SourceTable& table) {
  for (int i = 0; i < table.FieldCount(); ++i) {
    try {
      (void)table.Field(i).AsString();
    } catch (const qm::EDBEngineError&) {
      // A damaged value is reported and the walk goes on, as the preview does.
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t flags = data[0];
  const std::size_t tableSize = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 3, size - 3);

  static const qm::testing::ScratchFolder scratch(qm::testing::ScratchPlace::kMemoryWhereAvailable);
  scratch.Write("t.dbf", bytes.substr(0, tableSize));
  scratch.Remove("t.dbt");
  scratch.Remove("t.fpt");
  if (!(flags & 2)) scratch.Write(flags & 1 ? "t.fpt" : "t.dbt", bytes.substr(tableSize));

  qm::SourceTable table;
  table.SetDatabaseName(scratch.Path());
  table.SetTableName("t.dbf");
  try {
    table.Open();
  } catch (const qm::EDBEngineError&) {
    return 0;
  }
  for (table.First(); !table.Eof(); table.Next()) ReadAllValues(table);
  for (int n = table.RecordCount(); n >= 1; --n) {
    table.SetRecNo(n);
    ReadAllValues(table);
  }
  table.Close();
  return 0;
}
