#pragma once
// The batch program's account of a load, in the wording and layout Oracle users' scripts read
// from their loader's log, with the exit status of the same meaning, and the whole numbers its
// load controls take.

#include <cstdint>
#include <string>

#include "import/import_run.h"

namespace qm {

// Exit statuses.
inline constexpr int kLoadSucceeded = 0;  // every record read was loaded or already there
inline constexpr int kLoadFailed = 1;     // could not run: options, logon, source, links, target
inline constexpr int kLoadWarning = 2;    // some records rejected, or the load was discontinued
inline constexpr int kLoadFatal = 3;      // the operating system failed us: a file not written

// How a run ended, beyond what the run itself knows: whether the session's closing commit
// succeeded.
struct LoadEnd {
  const ImportRunResult& run;
  bool sessionEnded;
};

// The first record a continued load should read: records before it are settled (committed, or
// rejected and so in the bad file). Counts from the source's first record, as --skip does.
std::int32_t ContinueFrom(const LoadEnd& end);

// Whether the load stopped before its last record, or the session's end lost its work.
bool Discontinued(const LoadEnd& end);

// The account, lines ended by "\n" (code page 1251 as the table's name):
//
//   Table PEOPLE:
//     3 Rows successfully loaded.
//     1 Row not loaded due to data errors.
//     0 Rows not loaded because an equal row was already present.
//     0 Rows not loaded because all fields were null.
//     0 Rows not loaded because the session lost them.
//
//   Total logical records skipped:          0
//   Total logical records read:             4
//   Total logical records rejected:         1
//   Total logical records discarded:        0
//   Total logical records deleted:          1
//   Total logical records not read:         0
//
// "discarded" counts the rows already present; "deleted" the records carrying the deletion mark
// that were not read; "not read" those a discontinued load did not reach. A discontinued load
// ends with "Load discontinued (<why>); continue with --skip <n>." where <why> is "maximum error
// count <n> exceeded", "interrupted", "the session lost its open work: <message>" or "the
// session's closing commit failed".
std::string LoadSummaryText(const std::string& table, const LoadEnd& end, std::int32_t errorLimit);

// kLoadSucceeded, or kLoadWarning when a record was rejected or the load was discontinued.
int LoadExitStatus(const LoadEnd& end);

// The value of a load control ("--errors" and the like): a whole number from 0 (from 1 when
// `least` is 1) up to 2147483647. Throws std::invalid_argument "<option> needs a whole number
// from <least>, not '<text>'".
std::int32_t ParseCount(const std::string& option, const std::string& text, int least = 0);

}  // namespace qm
