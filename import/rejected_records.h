#pragma once
// The records a run did not insert because of an error, kept so that they can be written out
// again: as a dBASE table of the source's own format (source/dbf_writer.h), to be corrected and
// loaded once more with the same field links, and as a reasons file beside it.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class FieldLinkTable;
class SourceRecord;

struct RejectedRecord {
  std::int32_t position = 0;  // in the source file, 1-based, deleted records counted
  std::string column;         // the column the error is about; empty when it names none
  std::string value;          // that column's source value; empty when unknown
  std::string message;        // the server's message, or why the value could not be read
};

// What a rejected record is known by, from the error that rejected it (all code page 1251):
// for a server message naming a column of the target ('... for column "S"."T"."NAME" ...',
// '... into ("S"."T"."NAME")'), that column and the source value linked to it (a linked default
// value when the link has one); for the reader's message about a value ("<path>: record 2, field
// QTY: invalid number '12A4'"), the source field and the stored value the fault quotes; else
// neither. Never throws for a message it cannot place.
RejectedRecord DescribeRejection(std::int32_t position, const std::string& message,
                                 const FieldLinkTable& links, const SourceRecord& record);

// The reasons file: a heading line "record<TAB>column<TAB>value<TAB>message", then one line per
// record in the order given, in UTF-8, lines ended by LF. Tabs and line breaks inside a cell
// become single spaces.
std::string ReasonsText(const std::vector<RejectedRecord>& records);

// The reasons file beside the bad file `badPath`: its name with ".reasons.txt" in place of its
// extension ("bad.dbf" -> "bad.reasons.txt").
std::string ReasonsPathFor(const std::string& badPath);

// Writes the bad file `badPath` (a copy of the rejected records of the source table at
// `sourcePath`, read in `codePage` as SourceTable::CodePage(), with its memo file and .cpg) and
// the reasons file beside it. Returns the paths written, the bad file first. Throws as
// WriteTableExtract, and FileWriteError for the reasons file.
std::vector<std::string> WriteRejectedRecords(const std::string& sourcePath,
                                              const std::string& codePage,
                                              const std::vector<RejectedRecord>& records,
                                              const std::string& badPath);

}  // namespace qm
