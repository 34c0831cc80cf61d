#pragma once
// The existence query and the insert statement of each record of one import run, built as
// ExistenceQuery and InsertStatement (import_statements.h) build them, with the same texts and the
// same errors thrown in the same order, but without their per-record costs: the source field of
// every link is looked up once and kept for as long as the link table's texts and the target
// table's name stay the same, and each text is written into a buffer kept from record to record.
//
// The link table is still read on every call, so an edit takes effect from the next statement;
// only what was worked out from its texts is kept while its Revision() is unchanged.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class FieldLinkTable;
class SourceField;
class SourceTable;

class RecordStatements {
 public:
  // `dbf` must be open, and stay open while this object is used.
  explicit RecordStatements(const SourceTable& dbf);
  RecordStatements(const RecordStatements&) = delete;
  RecordStatements& operator=(const RecordStatements&) = delete;

  // The texts for the table's current record. The reference stays valid until the next call of
  // the same function; a throwing call leaves that text unspecified.
  const std::string& ExistenceQuery(const FieldLinkTable& links, const std::string& tableName);
  const std::string& InsertStatement(const FieldLinkTable& links, const std::string& tableName);

 private:
  // One taking-part link row, as its texts say it is to be filled.
  struct Link {
    enum class Source { kConstant, kField, kGeneral };
    int row = 0;
    Source source = Source::kGeneral;
    const SourceField* field = nullptr;  // kField
    enum class Conversion { kNone, kLexeme, kDate } conversion = Conversion::kNone;
    std::int32_t lexeme = 0;
    std::string column;  // the target column, as the SQL names it
    // The value's literal in the existence query of the record at file position `literalOf`
    // (empty for an empty value), which that record's insert takes again.
    std::string literal;
    int literalOf = 0;
  };

  void Resolve(const FieldLinkTable& links);
  // Appends the literal of the link's value to `out`; returns false, appending nothing, when the
  // value is empty.
  bool AppendValue(const FieldLinkTable& links, const Link& link, std::string& out);
  // The same, the literal made once for the record at file position `record` and kept in the link.
  bool AppendKeptValue(const FieldLinkTable& links, Link& link, int record, std::string& out);

  const SourceTable& dbf_;
  const FieldLinkTable* resolvedTable_ = nullptr;
  unsigned long long resolvedRevision_ = 0;
  std::vector<Link> links_;
  std::string insertTable_;   // the table name insertHead_ was written for
  std::string insertHead_;    // "insert into <table>(A,B) values ("
  bool insertHeadValid_ = false;
  std::string query_;
  std::string insert_;
  std::string value_;         // a converted value, kept for its capacity
};

}  // namespace qm
