// The engine over fuzzed SQL: parse, resolve and translate against a small table, then run what
// a query or DML statement became on SQLite (the engine's own SQL functions and conversions
// included). DML is rolled back and other statements are compiled but not run, so every input
// meets the same database. A fault must come out as an Oracle error.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "ocilite/database_files.h"
#include "ocilite/internal/compiled_sql.h"
#include "ocilite/internal/cursor.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/session.h"
#include "platform/testing/scratch_folder.h"

namespace {

using namespace qm::ocilite;

// Enough rows to reach the functions of a query without letting a cross join run for long.
constexpr int kMaxRows = 64;

Session& FuzzSession() {
  static const std::unique_ptr<Session> session = [] {
    static const qm::testing::ScratchFolder home(qm::testing::ScratchPlace::kMemoryWhereAvailable);
    setenv("OCILITE_HOME", home.Path().c_str(), 1);
    setenv("NLS_LANG", "AMERICAN_AMERICA.CL8MSWIN1251", 1);
    setenv("NLS_DATE_FORMAT", "DD.MM.RRRR", 1);
    auto s = std::make_unique<Session>(CreateDatabase("FUZZ", "manager"),
                                       NlsSettings::FromEnvironment());
    s->Logon("SYSTEM", std::string("manager"));
    const BindTypes none = [](const std::string&, int) -> SqlType { throw OraError(1008); };
    for (const char* sql :
         {"create table T (ID number(6) primary key, NAME varchar2(20), BORN date, "
          "AMOUNT number(10,2), NOTE char(5))",
          "insert into T values (1, 'Ivanov', '31.01.1970', 12.5, 'a')",
          "insert into T values (2, null, null, -0.01, null)",
          "insert into T (ID, NAME) values (3, 'x''y')", "commit"}) {
      const auto c = s->Compile(sql, none);
      if (c->kind == CompiledSql::Kind::kDml) {
        s->ExecuteDml(*c, {});
      } else {
        s->ExecuteOther(*c);
      }
    }
    return s;
  }();
  return *session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Session& session = FuzzSession();
  const std::string_view sql(reinterpret_cast<const char*>(data), size);
  const BindTypes text = [](const std::string&, int) { return SqlType::Varchar2(4000); };
  try {
    const auto c = session.Compile(sql, text);
    const std::vector<Value> binds(c->translated.binds.size(), Value::Text("1"));
    if (c->kind == CompiledSql::Kind::kQuery) {
      const auto cursor = session.OpenQuery(*c, binds);
      std::vector<Value> row;
      for (int n = 0; n < kMaxRows && cursor->Next(row); ++n) {
      }
    } else if (c->kind == CompiledSql::Kind::kDml) {
      session.ExecuteDml(*c, binds);
    }
  } catch (const OraError&) {
  }
  session.Rollback();
  return 0;
}
