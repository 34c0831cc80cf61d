#include "import/import_statements.h"

#include <charconv>
#include <optional>
#include <stdexcept>

#include "import/field_link_table.h"
#include "import/source_record.h"
#include "import/value_conversions.h"
#include "platform/codepage.h"

namespace qm {
namespace {

constexpr const char* kCrLf = "\r\n";

bool TakesPart(const FieldLinkTable& links, int row) {
  return links.Cell(FieldLinkTable::kProceed, row) == "1";
}

std::string RowMessage(int row, std::string_view what) {
  static constexpr auto kRow = Cp1251("строка матрицы ");
  return kRow.str() + std::to_string(row) + std::string(what);
}

std::string UnknownCodeMessage(int row) {
  static constexpr auto kUnknownCode = Cp1251("-неизвестный код обработки");
  return RowMessage(row, kUnknownCode);
}

}  // namespace

std::string ValidationText(const FieldLinkTable& links) {
  static constexpr auto kEmpty = Cp1251("-незаполненна");
  std::string text;
  for (int r = 1; r < links.RowCount(); ++r) {
    if (links.Cell(FieldLinkTable::kProceed, r).empty())
      text += kCrLf + RowMessage(r, kEmpty);
    else if (TakesPart(links, r) &&
             !IsKnownConversionCode(links.Cell(FieldLinkTable::kProcessData, r)))
      text += kCrLf + UnknownCodeMessage(r);
  }
  return text;
}

MessageBoxRequest ValidationBox(const std::string& validationText) {
  static constexpr auto kText = Cp1251("Ошибки при заполненнии матрицы:");
  static constexpr auto kCaption = Cp1251("Ошибка");
  return {kText.str() + validationText, kCaption, MessageIcon::Stop, kButtonOk};
}

std::string LinkValue(const FieldLinkTable& links, int row, const SourceRecord& record) {
  const std::string& constant = links.Cell(FieldLinkTable::kDefaultValue, row);
  if (!constant.empty()) return constant;
  std::string value = record.FieldValue(links.Cell(FieldLinkTable::kDbfField, row));
  const std::string& code = links.Cell(FieldLinkTable::kProcessData, row);
  if (code.empty()) return value;
  std::optional<std::string> converted = ApplyConversionCode(code, value);
  if (!converted) throw std::runtime_error(UnknownCodeMessage(row));
  return std::move(*converted);
}

std::string ExistenceQuery(const FieldLinkTable& links, const std::string& tableName,
                           const SourceRecord& record) {
  std::string sql;
  sql.reserve(256);
  sql += "select * from ";
  sql += tableName;
  sql += " Where ";
  const char* separator = "";
  for (int r = 1; r < links.RowCount(); ++r) {
    if (!TakesPart(links, r)) continue;
    sql += separator;
    sql += links.Cell(FieldLinkTable::kOraField, r);
    // The server holds an empty text as NULL, which "= ''" never matches.
    const std::string value = LinkValue(links, r, record);
    if (value.empty()) {
      sql += " IS NULL";
    } else {
      sql += '=';
      AppendSqlTextLiteral(sql, value);
    }
    separator = " and ";
  }
  return sql;
}

std::string InsertStatement(const FieldLinkTable& links, const std::string& tableName,
                            const SourceRecord& record) {
  std::string columns;
  std::string values;
  const char* separator = "";
  for (int r = 1; r < links.RowCount(); ++r) {
    if (!TakesPart(links, r)) continue;
    columns += separator;
    columns += links.Cell(FieldLinkTable::kOraField, r);
    values += separator;
    AppendSqlTextLiteral(values, LinkValue(links, r, record));
    separator = ",";
  }
  return "insert into " + tableName + "(" + columns + ") values (" + values + ")";
}

std::string DeletionStatement(const std::string& tableName) {
  return "delete from " + tableName;
}

std::string DeletionMessage(const std::string& tableName) {
  return "delete old data from table " + tableName;
}

MessageBoxRequest DeletionFailureBox(const std::string& sqlText) {
  return {"not executed query: " + sqlText, "error", MessageIcon::Stop, kButtonOk};
}

std::string ErrorLogEntry(std::int32_t pass, const std::string& sqlText) {
  return "/" + std::to_string(pass) + "/" + sqlText;
}

void CounterLabel(std::string& out, std::int32_t pass, std::int32_t total, std::int32_t third,
                  std::int32_t fourth) {
  // Made for every record, into the room of the one before.
  char text[4 * 11 + 3];
  char* end = text;
  for (const std::int32_t n : {pass, total, third, fourth}) {
    if (end != text) *end++ = '/';
    end = std::to_chars(end, text + sizeof text, n).ptr;
  }
  out.assign(text, end);
}

MessageBoxRequest ImportSummary(bool errors, std::int32_t inserted, std::int32_t total) {
  std::string text = errors ? "Process finished with errors " : "Process finished";
  text += kCrLf;
  text += "inserted " + std::to_string(inserted) + " record from " + std::to_string(total) +
          " selected";
  return {std::move(text), "move data", errors ? MessageIcon::Stop : MessageIcon::Information,
          kButtonOk};
}

}  // namespace qm
