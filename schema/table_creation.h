#pragma once
// Table creation from the source structure: one "create table" statement whose columns follow
// the source table's fields, named after the source file: Integer for integer fields, Date for
// date and timestamp fields, and for every other kind a VarChar wide enough for every value text
// the source table gives for the field (character fields their width + 1, 64-bit integers 20,
// floating-point, currency and BCD 22, logicals 5, memos and other blobs 4000).

#include <functional>
#include <string>

namespace qm {

class SourceTable;
class SourceField;

// The file name part of `sourcePath` without its extension: archive.2003.dbf -> archive.2003.
std::string TableNameFromSourcePath(const std::string& sourcePath);
// "NAME Integer", "BORN Date", "NOTE VarChar(31)", "AMOUNT VarChar(22)", "TEXT VarChar(4000)".
std::string ColumnDefinition(const SourceField& field);
// "create table <name> (A Integer,B Date)" over the fields of the open table.
std::string CreateTableStatement(const std::string& tableName, const SourceTable& dbf);

// What CreateTargetTable needs from the window it runs on.
struct TableCreationContext {
  std::string sourcePath;                           // the source file box's text
  std::function<bool()> confirm;                    // the Yes/No question; true for Yes
  std::function<void(const std::string&)> execute;  // through the statement `q`; throws
  std::function<void()> reportFailure;              // "some error with created table" box
  std::function<void(const std::string&)> logStatement;  // appended to Form2, which is shown
  std::function<void()> refreshTableList;
};

// Asks, builds the statement from the source table, executes it, reports a failure and refreshes
// the table list. Throws std::runtime_error "not connect to <path>" when the source cannot be
// opened; lets the refresh's errors pass.
void CreateTargetTable(const TableCreationContext& context, SourceTable& dbf);

}  // namespace qm
