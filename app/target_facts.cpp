#include "app/target_facts.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "oracle/e_oracle_error.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"

namespace qm {
namespace {

// An unquoted name as the server folds it, a quoted one as written.
std::string DictionaryName(std::string_view name) {
  name = Trim(name);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    return std::string(name.substr(1, name.size() - 2));
  return Cp1251Upper(name);
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

std::optional<int> OptionalInt(TDataSetField& field) {
  if (field.IsNull()) return std::nullopt;
  return std::stoi(field.AsString());
}

// The one value of a query of one row and column; nullopt when the server has no such view.
std::optional<std::string> SingleValue(TOracleSession& session, const std::string& sql) {
  TOracleDataSet query;
  query.SetSession(&session);
  query.SQL().Add(sql);
  try {
    query.Open();
  } catch (const EOracleError&) {
    return std::nullopt;
  }
  std::optional<std::string> value;
  if (!query.Eof()) value = query.Field(0).AsString();
  query.Close();
  return value;
}

}  // namespace

TargetFacts ReadTargetFacts(TOracleSession& session, const std::string& tableName) {
  TargetFacts facts;
  const std::size_t dot = tableName.find('.');
  const bool owned = dot != std::string::npos;
  facts.table = DictionaryName(owned ? std::string_view(tableName).substr(dot + 1) : tableName);
  if (owned) {
    facts.owner = DictionaryName(std::string_view(tableName).substr(0, dot));
  } else {
    facts.owner = SingleValue(session, "select user from dual").value_or("");
  }

  TOracleDataSet columns;
  columns.SetSession(&session);
  columns.SQL().Add(
      "select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, "
      "CHAR_USED, CHAR_LENGTH, DEFAULT_LENGTH from " +
      std::string(owned ? "ALL_TAB_COLUMNS" : "USER_TAB_COLUMNS") +
      " where TABLE_NAME = " + Quoted(facts.table) +
      (owned ? " and OWNER = " + Quoted(facts.owner) : std::string()) + " order by COLUMN_ID");
  columns.Open();
  for (; !columns.Eof(); columns.Next()) {
    TargetColumn c;
    c.name = columns.FieldByName("COLUMN_NAME").AsString();
    c.dataType = columns.FieldByName("DATA_TYPE").AsString();
    c.dataLength = std::stol(columns.FieldByName("DATA_LENGTH").AsString());
    c.precision = OptionalInt(columns.FieldByName("DATA_PRECISION"));
    c.scale = OptionalInt(columns.FieldByName("DATA_SCALE"));
    c.nullable = columns.FieldByName("NULLABLE").AsString() != "N";
    c.charSemantics = columns.FieldByName("CHAR_USED").AsString() == "C";
    c.charLength = OptionalInt(columns.FieldByName("CHAR_LENGTH")).value_or(0);
    c.hasDefault = !columns.FieldByName("DEFAULT_LENGTH").IsNull();
    facts.columns.push_back(std::move(c));
  }
  columns.Close();
  if (facts.columns.empty())
    throw std::runtime_error("the table " + tableName + " is not in the dictionary");

  facts.databaseCharacterSet =
      SingleValue(session,
                  "select VALUE from NLS_DATABASE_PARAMETERS where PARAMETER = 'NLS_CHARACTERSET'")
          .value_or("");
  facts.utf8Database = facts.databaseCharacterSet.find("UTF8") != std::string::npos;
  if (auto format = SingleValue(
          session, "select VALUE from NLS_SESSION_PARAMETERS where PARAMETER = 'NLS_DATE_FORMAT'")) {
    facts.dateFormat = *format;
  } else if (const char* env = std::getenv("NLS_DATE_FORMAT"); env && *env) {
    facts.dateFormat = env;
  }
  const std::chrono::year_month_day today{
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
  facts.currentYear = static_cast<int>(today.year());
  return facts;
}

}  // namespace qm
