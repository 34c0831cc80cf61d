// The engine's lexer and parser over fuzzed SQL, the way the SQL tool meets it: the input is a
// script split into statements, each of which is parsed; the whole input is also parsed as one
// statement and as one expression. A fault must come out as an Oracle error whose offset lies
// inside the text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/sql_script.h"

namespace {

using qm::ocilite::OraError;

template <typename Parse>
void Check(std::string_view sql, Parse parse) {
  try {
    parse(sql);
  } catch (const OraError& e) {
    if (e.Offset() < -1 || e.Offset() > static_cast<int>(sql.size())) {
      std::fprintf(stderr, "%s at offset %d of %zu bytes\n", e.what(), e.Offset(), sql.size());
      std::abort();
    }
  }
}

void ParseBoth(std::string_view sql) {
  (void)qm::ocilite::PeekStatementType(sql);
  Check(sql, [](std::string_view s) { (void)qm::ocilite::ParseStatement(s); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  ParseBoth(input);
  Check(input, [](std::string_view s) { (void)qm::ocilite::ParseExpression(s); });

  qm::ocilite::SqlScript script;
  while (!input.empty()) {
    const std::size_t newline = input.find('\n');
    if (const auto item = script.AddLine(input.substr(0, newline));
        item && item->kind == qm::ocilite::ScriptItem::Kind::kStatement)
      ParseBoth(item->text);
    input.remove_prefix(newline == std::string_view::npos ? input.size() : newline + 1);
  }
  if (const auto item = script.Finish()) ParseBoth(item->text);
  return 0;
}
