#pragma once
// Writes a copy of chosen records of a dBASE table as a table of its own: the source's header,
// field descriptors and code-page byte, those records' bytes (their marks included), and, for
// memo columns, a memo file of the source's kind (.dbt of the dBASE III or IV form, or .fpt)
// holding their memo text. A .cpg beside the source is copied beside the new table. The copy can
// be opened by any dBASE editor, corrected, and read again with the same field links.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct TableExtract {
  std::string sourcePath;  // the table to copy from
  std::string codePage;    // as SourceTable::CodePage(): empty lets the file say
  // 1-based positions in the source file (deleted records counted), in the order they are
  // written; a position repeated is written again.
  std::vector<std::uint32_t> positions;
};

// Writes the table at `tablePath` (and its memo file and .cpg when the source has them, named
// after it in the letter case of its extension: "BAD.DBF", "BAD.DBT"), replacing files that are
// there. A memo the source cannot read is left out: its slot in the copy
// points to no memo. Throws EDBEngineError when the source cannot be opened or a position is
// outside its records or when a file to write is one of the source's own (nothing is written
// then), FileWriteError (platform/file_write.h) when a file cannot be written.
// Returns the paths written, the table first.
std::vector<std::string> WriteTableExtract(const TableExtract& extract,
                                           const std::string& tablePath);

}  // namespace qm
