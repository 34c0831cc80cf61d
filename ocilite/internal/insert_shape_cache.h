// Compiles the commonest statement of an import, INSERT ... VALUES with a literal for every value,
// once per shape: its text with each literal taken out. The first statement of a shape is parsed
// and translated with its literals lifted into SQLite parameters; each later one is only scanned
// for its literals, which are converted to their columns' types and checked as the translator
// would convert and check them in place: the commonest (texts, plain numbers, dates in a plain
// session format, NULL) the short way, number texts straight to their stored form and dates by
// DateFormat::ParsePlain, anything else by the translator itself.
//
// Anything else, and any statement one of whose literals fails its conversion or check, is left
// to the full compiler, so that every error (its number, text and offset) still comes from there.
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

class InsertShapeCache {
 public:
  // The compiled statement, or nullptr when `sql`, an INSERT, must be compiled in full. `generation` is the
  // session's catalogue and NLS generation; a new one drops every shape. Never throws OraError:
  // a statement that would raise one is left to the full compiler. A `spare` statement, one its
  // caller no longer needs, is taken for the result's room when the shape is known.
  std::unique_ptr<CompiledSql> Compile(std::string_view sql, std::uint64_t generation,
                                       Catalog& catalog, EvalContext& ctx,
                                       std::unique_ptr<CompiledSql>& spare);
  // Forgets every shape (another user logged on: names resolve in another schema).
  void Clear() { shapes_.clear(); }

 private:
  struct Shape {
    std::uint64_t id = NewShapeId();
    TranslatedStatement translated;  // parameters of the literals still empty
    std::vector<LiftedLiteral> lifted;
  };

  // Shapes kept at most; an import uses one, a script a few.
  static constexpr std::size_t kMaxShapes = 64;

  std::unordered_map<std::string, Shape> shapes_;
  // The last statement's shape key and literals, kept for their room: most statements of an
  // import allocate nothing for them.
  std::string key_;
  std::vector<ScannedLiteral> literals_;
  std::uint64_t generation_ = 0;
};

}  // namespace qm::ocilite
