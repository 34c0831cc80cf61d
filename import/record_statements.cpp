#include "import/record_statements.h"

#include <optional>

#include "import/field_link_table.h"
#include "import/import_statements.h"
#include "import/source_record.h"
#include "import/value_conversions.h"
#include "platform/codepage.h"
#include "source/source_table.h"

namespace qm {
namespace {

class TableRecord : public SourceRecord {
 public:
  explicit TableRecord(const SourceTable& dbf) : dbf_(dbf) {}
  std::string FieldValue(const std::string& name) const override {
    return dbf_.FieldByName(name).AsString();
  }

 private:
  const SourceTable& dbf_;
};

}  // namespace

RecordStatements::RecordStatements(const SourceTable& dbf) : dbf_(dbf) {}

void RecordStatements::Resolve(const FieldLinkTable& links) {
  if (resolvedTable_ == &links && resolvedRevision_ == links.Revision()) return;
  links_.clear();
  insertHeadValid_ = false;
  for (int r = 1; r < links.RowCount(); ++r) {
    if (links.Cell(FieldLinkTable::kProceed, r) != "1") continue;
    Link link;
    link.row = r;
    link.column = links.Cell(FieldLinkTable::kOraField, r);
    if (!links.Cell(FieldLinkTable::kDefaultValue, r).empty()) {
      link.source = Link::Source::kConstant;
    } else if ((link.field = dbf_.FindField(links.Cell(FieldLinkTable::kDbfField, r)))) {
      // Anything but a field found with a code of a known letter and a readable number goes the
      // general way, which raises its errors when a value is asked for, as it always did.
      const std::string& code = links.Cell(FieldLinkTable::kProcessData, r);
      const char letter = code.empty() ? '\0' : Cp1251Upper(code.front());
      const std::optional<std::int32_t> n = letter == 'L' ? LexemeNumber(code) : std::nullopt;
      if (code.empty()) {
        link.source = Link::Source::kField;
      } else if (n) {
        link.source = Link::Source::kField;
        link.conversion = Link::Conversion::kLexeme;
        link.lexeme = *n;
      } else if (letter == 'D') {
        link.source = Link::Source::kField;
        link.conversion = Link::Conversion::kDate;
      }
    }
    links_.push_back(std::move(link));
  }
  resolvedTable_ = &links;
  resolvedRevision_ = links.Revision();
}

bool RecordStatements::AppendValue(const FieldLinkTable& links, const Link& link,
                                   std::string& out) {
  std::string_view value;
  switch (link.source) {
    case Link::Source::kConstant:
      value = links.Cell(FieldLinkTable::kDefaultValue, link.row);
      break;
    case Link::Source::kField:
      value = link.field->Text();
      if (link.conversion == Link::Conversion::kLexeme) {
        value = Lexeme(link.lexeme, value);
      } else if (link.conversion == Link::Conversion::kDate) {
        value_ = NormalizeDate(value);
        value = value_;
      }
      break;
    case Link::Source::kGeneral:
      value_ = LinkValue(links, link.row, TableRecord(dbf_));
      value = value_;
      break;
  }
  if (value.empty()) return false;
  AppendSqlTextLiteral(out, value);
  return true;
}

bool RecordStatements::AppendKeptValue(const FieldLinkTable& links, Link& link, int record,
                                       std::string& out) {
  if (link.literalOf != record) {
    link.literal.clear();
    link.literalOf = 0;
    AppendValue(links, link, link.literal);
    link.literalOf = record;
  }
  out += link.literal;
  return !link.literal.empty();
}

const std::string& RecordStatements::ExistenceQuery(const FieldLinkTable& links,
                                                    const std::string& tableName) {
  Resolve(links);
  query_.clear();
  query_ += "select * from ";
  query_ += tableName;
  query_ += " Where ";
  // The record's insert, if it comes to one, takes the same literals again.
  const int record = dbf_.FilePosition();
  const char* separator = "";
  for (Link& link : links_) {
    query_ += separator;
    query_ += link.column;
    const std::size_t at = query_.size();
    query_ += '=';
    // The server holds an empty text as NULL, which "= ''" never matches.
    if (!AppendKeptValue(links, link, record, query_)) query_.replace(at, 1, " IS NULL");
    separator = " and ";
  }
  return query_;
}

const std::string& RecordStatements::InsertStatement(const FieldLinkTable& links,
                                                     const std::string& tableName) {
  Resolve(links);
  if (!insertHeadValid_ || insertTable_ != tableName) {
    insertHead_ = "insert into " + tableName + "(";
    const char* separator = "";
    for (const Link& link : links_) {
      insertHead_ += separator;
      insertHead_ += link.column;
      separator = ",";
    }
    insertHead_ += ") values (";
    insertTable_ = tableName;
    insertHeadValid_ = true;
  }
  insert_.assign(insertHead_);
  const int record = dbf_.FilePosition();
  const char* separator = "";
  for (const Link& link : links_) {
    insert_ += separator;
    bool value;
    if (record != 0 && link.literalOf == record) {
      insert_ += link.literal;
      value = !link.literal.empty();
    } else {
      value = AppendValue(links, link, insert_);
    }
    if (!value) insert_ += "''";
    separator = ",";
  }
  insert_ += ')';
  return insert_;
}

}  // namespace qm
