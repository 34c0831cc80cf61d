// The import run's own work for one record, without a database: the link values of ten links
// (one "L" and one "D" conversion among them, one constant) read from the source table's current
// record, the existence query and the insert statement. Prints the time per record, once through
// the one-off functions and once through the builder a run keeps from record to record.

#include <benchmark/benchmark.h>

#include <string>

#include "import/field_link_table.h"
#include "import/import_statements.h"
#include "import/record_statements.h"
#include "import/source_record.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace {

using qm::testing::Left;
using qm::testing::Right;

class TableRecord : public qm::SourceRecord {
 public:
  explicit TableRecord(const qm::SourceTable& dbf) : dbf_(dbf) {}
  std::string FieldValue(const std::string& name) const override {
    return dbf_.FieldByName(name).AsString();
  }

 private:
  const qm::SourceTable& dbf_;
};

// A one-record table and ten links over it, open for the length of a benchmark.
struct BenchSource {
  BenchSource();
  qm::testing::ScratchFolder dir;
  qm::SourceTable dbf;
  qm::FieldLinkTable links;
};

BenchSource::BenchSource() {
  qm::testing::TableLayout layout;
  layout.columns = {{"ID", 'N', 9},      {"NAME", 'C', 30},   {"CITY", 'C', 20},
                    {"BORN", 'D', 8},    {"SALARY", 'N', 12, 2}, {"ACTIVE", 'L', 1},
                    {"CODE", 'C', 10},   {"QTY", 'N', 6},     {"NOTE", 'C', 40}};
  layout.records = {Right("123456", 9) + Left("Ivanov Petr Sergeevich", 30) + Left("Moscow", 20) +
                    "19750315" + Right("52000.50", 12) + "T" + Left("A-17", 10) +
                    Right("42", 6) + Left("regular customer, since 2001", 40)};
  dbf.SetDatabaseName(dir.Path());
  dbf.SetTableName(dir.Write("bench.dbf", qm::testing::TableImage(layout)).substr(dir.Path().size() + 1));
  dbf.Open();

  links.WriteHeader();
  const char* fields[] = {"ID", "NAME", "CITY", "BORN", "SALARY", "ACTIVE", "CODE", "QTY", "NOTE"};
  links.SetRowCount(11);
  for (int r = 1; r <= 9; ++r) {
    links.SetCell(0, r, std::string("C_") + fields[r - 1]);
    links.SetCell(2, r, "1");
    links.SetCell(3, r, fields[r - 1]);
  }
  links.SetCell(4, 2, "L1");
  links.SetCell(4, 4, "D");
  links.SetCell(0, 10, "SOURCE");
  links.SetCell(2, 10, "1");
  links.SetCell(5, 10, "bench.dbf");
}

void ImportStatementsPerRecord(benchmark::State& state) {
  BenchSource source;
  const TableRecord record(source.dbf);
  for (auto _ : state) {
    std::string query = qm::ExistenceQuery(source.links, "PEOPLE", record);
    std::string insert = qm::InsertStatement(source.links, "PEOPLE", record);
    benchmark::DoNotOptimize(query);
    benchmark::DoNotOptimize(insert);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ImportStatementsPerRecord);

void RecordStatementsPerRecord(benchmark::State& state) {
  BenchSource source;
  qm::RecordStatements statements(source.dbf);
  const std::string table = "PEOPLE";
  for (auto _ : state) {
    benchmark::DoNotOptimize(statements.ExistenceQuery(source.links, table).data());
    benchmark::DoNotOptimize(statements.InsertStatement(source.links, table).data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RecordStatementsPerRecord);

}  // namespace

BENCHMARK_MAIN();
