// Compiles the query an import sends before each record to learn whether the record is there,
// "SELECT ... WHERE COL = 'x' AND COL2 IS NULL AND ...", once per shape: its text with each
// literal taken out. The first query of a shape is parsed and translated with its literals lifted
// into SQLite parameters; each later one is only scanned for its literals, which are converted
// as the translator would convert them for their comparisons.
//
// Anything else, and any query one of whose literals the translator would not make a parameter
// of the same SQLite text (a NULL, a conversion left to run time, a number that is none), is
// left to the full compiler, so that every error (its number, text and offset) and every
// translation still comes from there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/compiled_sql.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/shape_scan.h"
#include "ocilite/internal/sql_translator.h"

namespace qm::ocilite {

class QueryShapeCache {
 public:
  // The compiled query, or nullptr when `sql`, a SELECT, must be compiled in full. `generation` is the
  // session's catalogue and NLS generation; a new one drops every shape. Never throws OraError.
  // A `spare` statement, one its caller no longer needs, is taken for the result's room when the
  // shape is known.
  std::unique_ptr<CompiledSql> Compile(std::string_view sql, std::uint64_t generation,
                                       Catalog& catalog, EvalContext& ctx,
                                       std::unique_ptr<CompiledSql>& spare);
  // Forgets every shape (another user logged on: names resolve in another schema).
  void Clear() {
    shapes_.clear();
    last_shape_ = nullptr;
  }

 private:
  struct Shape {
    std::uint64_t id = NewShapeId();
    TranslatedStatement translated;  // parameters of the first query's literals
    std::vector<LiftedComparison> lifted;
  };

  // Shapes kept at most; an import uses a few (a value empty or not makes another).
  static constexpr std::size_t kMaxShapes = 64;

  std::unordered_map<std::string, Shape> shapes_;
  // The last query's shape key and literals, kept for their room, and the shape it had: an
  // import's queries mostly have the shape of the one before.
  std::string key_;
  std::vector<ScannedLiteral> literals_;
  std::string last_key_;
  const Shape* last_shape_ = nullptr;
  std::uint64_t generation_ = 0;
};

}  // namespace qm::ocilite
