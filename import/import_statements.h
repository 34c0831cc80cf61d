#pragma once
// Every text the import run builds from the field-link table and the current source record: the
// validation message, the value of each link, the existence query, the insert statement, the
// deletion texts, the error log entry, the counter label and the summary box. All are pure
// functions of their arguments; the table is read anew on every call. Texts are code page 1251.
//
// A link row takes part in the statements when its "Proceed" cell is exactly "1". Values are
// sent as text literals that hold exactly the value (SqlTextLiteral: apostrophes doubled);
// table and column names go into the SQL unquoted and unchanged.

#include <cstdint>
#include <string>

#include "platform/dialogs.h"

namespace qm {

class FieldLinkTable;
class SourceRecord;

// Empty when every link row may start a run; otherwise, for each faulty row r in order, CR LF
// and "строка матрицы <r>-незаполненна" for an empty "Proceed", or "строка матрицы
// <r>-неизвестный код обработки" for a taking-part row whose "Process data" starts with neither
// L nor D.
std::string ValidationText(const FieldLinkTable& links);
// The box that shows a non-empty validation text.
MessageBoxRequest ValidationBox(const std::string& validationText);

// The value sent for link row `row`, before it is written as a literal: the "Default value" when
// it is set, else the record's value of "DBF field", converted by "Process data". Lets the record's field-not-found error and the conversion's integer error pass. Throws
// std::runtime_error "строка матрицы <row>-неизвестный код обработки" for a code of an unknown
// letter, so that no malformed statement is built from it.
std::string LinkValue(const FieldLinkTable& links, int row, const SourceRecord& record);

// "select * from <table> Where A='x' and B='y'" over the taking-part rows, a row whose value is
// empty compared as "B IS NULL" (the server keeps the empty text as NULL); nothing follows
// " Where " when no row takes part. Errors as LinkValue.
std::string ExistenceQuery(const FieldLinkTable& links, const std::string& tableName,
                           const SourceRecord& record);
// "insert into <table>(A,B) values ('x','y')" over the taking-part rows. Errors as LinkValue.
std::string InsertStatement(const FieldLinkTable& links, const std::string& tableName,
                            const SourceRecord& record);

// "delete from <table>".
std::string DeletionStatement(const std::string& tableName);
// The busy window's text while old data is deleted.
std::string DeletionMessage(const std::string& tableName);
// The box shown when deleting failed; `sqlText` is the whole text of the failed statement's SQL,
// each line followed by CR LF.
MessageBoxRequest DeletionFailureBox(const std::string& sqlText);

// The import-errors window's entry for a failed insert: "/<pass>/" and the statement's whole SQL
// text (its line followed by CR LF).
std::string ErrorLogEntry(std::int32_t pass, const std::string& sqlText);

// "<pass>/<total>/<third>/<fourth>", for the main window's counter label, into `out` (whose room
// is kept from one record to the next).
void CounterLabel(std::string& out, std::int32_t pass, std::int32_t total, std::int32_t third,
                  std::int32_t fourth);

// The box that ends a run, captioned "move data".
MessageBoxRequest ImportSummary(bool errors, std::int32_t inserted, std::int32_t total);

}  // namespace qm
