// The floor for the import: a table's records copied into a new SQLite file by a program that
// does only that, reading the values through the source table as the import does (the texts for
// transfer, then UTF-8, as the engine stores text) and inserting every record with one prepared statement, the values bound, in one
// transaction. The comparison runs it as a whole process beside the import.
//
//   sqlite_prepared_copy FILE.dbf OUT.sqlite   (the table "target", one column per field)

#include <sqlite3.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/field_type.h"
#include "platform/utf8.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace {

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

const char* ColumnType(qm::TFieldType type) {
  switch (type) {
    case qm::ftSmallint:
    case qm::ftInteger:
    case qm::ftWord:
    case qm::ftLargeint:
    case qm::ftAutoInc:
    case qm::ftFloat:
    case qm::ftCurrency:
    case qm::ftBCD:
      return "NUMERIC";
    default:
      return "TEXT";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: sqlite_prepared_copy FILE.dbf OUT.sqlite\n", stderr);
    return 2;
  }
  sqlite3* db = nullptr;
  sqlite3_stmt* insert = nullptr;
  try {
    qm::SourceTable dbf;
    const qm::SourcePath path = qm::SplitSourcePath(argv[1]);
    dbf.SetDatabaseName(path.folder);
    dbf.SetTableName(path.name);
    dbf.SetValueTexts(qm::SourceTable::ValueTexts::kTransfer);
    dbf.Open();

    Check(sqlite3_open(argv[2], &db), db, "open");
    std::string create = "create table target (";
    std::string marks;
    for (int i = 0; i < dbf.FieldCount(); ++i) {
      create += (i ? ", \"" : "\"") + dbf.Field(i).FieldName() + "\" " +
                ColumnType(dbf.Field(i).DataType());
      marks += i ? ", ?" : "?";
    }
    Check(sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr), db, "create");
    Check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    const std::string text = "insert into target values (" + marks + ")";
    Check(sqlite3_prepare_v2(db, text.c_str(), -1, &insert, nullptr), db, "prepare");
    std::vector<const qm::SourceField*> fields;
    for (int i = 0; i < dbf.FieldCount(); ++i) fields.push_back(&dbf.Field(i));
    std::vector<std::string> utf8(fields.size());  // the bound values, storage reused
    long records = 0;
    for (dbf.First(); !dbf.Eof(); dbf.Next(), ++records) {
      for (std::size_t i = 0; i < fields.size(); ++i) {
        // In UTF-8, as the engine stores text; an empty text is NULL, as it is for the import.
        std::string& value = utf8[i];
        value.clear();
        for (char c : fields[i]->Text()) qm::AppendUtf8(value, qm::CodePointFromCp1251(c));
        const int at = static_cast<int>(i) + 1;
        Check(value.empty() ? sqlite3_bind_null(insert, at)
                            : sqlite3_bind_text(insert, at, value.data(),
                                                static_cast<int>(value.size()), SQLITE_STATIC),
              db, "bind");
      }
      Check(sqlite3_step(insert), db, "insert");
      Check(sqlite3_reset(insert), db, "reset");
    }
    Check(sqlite3_finalize(insert), db, "finalize");
    insert = nullptr;
    Check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    Check(sqlite3_close(db), db, "close");
    std::printf("%ld records copied\n", records);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sqlite_prepared_copy: %s\n", e.what());
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return 1;
  }
  return 0;
}
