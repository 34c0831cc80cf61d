#pragma once
// The dry run ("Check data", quillmove-import --check): every record of the source is read and
// given the values the import would send (the same links, constants and conversions), and each
// value is checked against the target column as the server would check it
// (server_value_check.h). Nothing is sent to the server and nothing is written.
//
// With "Seek old record" the run first looks for the record with a query that compares every
// linked column with its value; the check follows it there too: a value the comparison cannot
// convert fails the record with that error before the insert's checks, and a linked column that
// cannot be compared at all (LONG, LOBs) would stop the run at its first record.
//
// What it cannot see: constraints over rows (unique keys, foreign keys, CHECK conditions) and
// rows already in the table, which "Seek old record" would skip.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "import/server_value_check.h"

namespace qm {

class FieldLinkTable;
class SourceRecord;
class SourceTable;

// A record the server would refuse: the first fault of the insert the run would send.
struct WouldBeReject {
  std::int32_t record = 0;  // the run's pass number: the record's place among the live records
  std::string column;       // the target column; empty for a record whose values cannot be read
  std::string value;        // the literal's text
  std::string message;      // the server's "ORA-nnnnn: ..." or the source's reading error
};

// The first fault the server would find in the insert of `record`, in its order: a literal over
// 4000 bytes (parsed before anything else), then each linked column in link order (ORA-00904 for
// a name the table does not have), then each NOT NULL column without a default that no link
// fills, in table order. With `seek`, the existence query's faults come first: a long literal,
// then the first linked column whose comparison fails (ComparisonFault). nullopt when the row
// would be stored. Errors of LinkValue pass through.
std::optional<WouldBeReject> CheckRecord(const FieldLinkTable& links, const TargetFacts& facts,
                                         const SourceRecord& record, bool seek = false);

// With "Seek old record", what stops the run before its first record: "the existence query of
// \"Seek old record\" cannot compare column <name> (<type>): the run would stop at its first
// record"; empty when nothing does.
std::string SeekStopper(const FieldLinkTable& links, const TargetFacts& facts);

struct CheckSummary {
  std::int32_t read = 0;      // live records read
  std::int32_t rejected = 0;  // of them, records the server would refuse or that cannot be read
  std::string stopper;        // SeekStopper's text, when "Seek old record" is on
};

// How the run tells its progress and its findings.
struct CheckObserver {
  std::function<void(std::int32_t records)> started;  // once the source is open
  std::function<void(std::int32_t record)> progress;  // before each record
  std::function<void(const WouldBeReject&)> reject;
};

// Opens `dbf` (already given its folder and file name), checks every live record with the values
// written for transfer, as the run writes them (with "Seek old record" when `seek`), and closes it
// again. Throws what opening the
// source throws; a record whose value cannot be read (EFieldValueError) is a reject with the
// source's message and an empty column.
CheckSummary CheckAllRecords(SourceTable& dbf, const FieldLinkTable& links,
                             const TargetFacts& facts, const CheckObserver& observer,
                             bool seek = false);

// One reject as a line: "record 3, column QTY, value '123456.5': ORA-01438: ...". A value longer
// than 60 characters is cut there and followed by "... (<n> characters)".
std::string RejectLine(const WouldBeReject& reject);

// The summary: "<read> records checked, <rejected> would be rejected, <read - rejected> would be
// loaded", then the stopper's line if there is one and, for a database character set the check could not read, a line saying lengths were
// counted as one byte a character; for a date format it cannot read, a line saying dates were not
// checked.
std::string CheckSummaryText(const CheckSummary& summary, const TargetFacts& facts);

}  // namespace qm
