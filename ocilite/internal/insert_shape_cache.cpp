#include "ocilite/internal/insert_shape_cache.h"

#include <variant>

#include "oci/oci.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/shape_scan.h"
#include "ocilite/internal/sql_parser.h"

namespace qm::ocilite {
namespace {

// Splits `sql` into the text before its word VALUES, which goes into `key` as it stands, and the
// literals of the list after it. Before VALUES nothing may start a literal, a placeholder or a
// comment, so that equal texts there are equal tokens; the list must be "(" literal {"," literal}
// ")" and the end, each literal a text, a plain number or NULL. Whatever this does not take is
// left to the full compiler: it never has to agree with the lexer on anything harder.
bool ReadShape(std::string_view sql, std::string& key, std::vector<ScannedLiteral>& literals) {
  const std::size_t n = sql.size();
  std::size_t i = 0;
  if (!SkipToWord(sql, i, "VALUES")) return false;
  key = std::to_string(i - 6) + ":";
  key.append(sql.substr(0, i - 6));
  auto skip_blanks = [&] {
    while (i < n && IsBlank(sql[i])) ++i;
  };
  skip_blanks();
  if (i == n || sql[i] != '(') return false;
  ++i;
  for (;;) {
    skip_blanks();
    if (i == n) return false;
    const std::size_t start = i;
    ScannedLiteral literal;
    if (!ReadPlainLiteral(sql, i, literal)) {
      if (sql[start] == '\'') return false;
      if (!IsWord(ReadWord(sql, i), "NULL")) return false;
      literal.kind = ExprKind::kNull;
      literal.text.clear();
    }
    literals.push_back(std::move(literal));
    skip_blanks();
    if (i == n) return false;
    if (sql[i] == ')') break;
    if (sql[i] != ',') return false;
    ++i;
  }
  ++i;
  skip_blanks();
  key += "(" + std::to_string(literals.size()) + ")";
  return i == n;
}

}  // namespace

std::unique_ptr<CompiledSql> InsertShapeCache::Compile(std::string_view sql,
                                                       std::uint64_t generation, Catalog& catalog,
                                                       EvalContext& ctx) {
  if (PeekStatementType(sql) != OCI_STMT_INSERT) return nullptr;
  if (generation != generation_) {
    shapes_.clear();
    generation_ = generation;
  }
  try {
    std::string key;
    std::vector<ScannedLiteral> literals;
    literals.reserve(16);
    if (!ReadShape(sql, key, literals)) return nullptr;

    Translator translator(catalog, ctx, NoBindTypes(), sql);
    auto found = shapes_.find(key);
    if (found == shapes_.end()) {
      const Statement ast = ParseStatement(sql);
      const auto* insert = std::get_if<InsertStmt>(&ast);
      if (!insert || insert->query || insert->values.size() != literals.size()) return nullptr;
      for (std::size_t i = 0; i < literals.size(); ++i) {
        const Expr& v = *insert->values[i];
        if (v.kind != literals[i].kind || v.text != literals[i].text) return nullptr;
      }
      Shape shape;
      shape.translated = translator.InsertShape(*insert, shape.lifted);
      if (shape.lifted.size() != literals.size()) return nullptr;
      if (shapes_.size() >= kMaxShapes) shapes_.clear();
      found = shapes_.emplace(std::move(key), std::move(shape)).first;
    }
    const Shape& shape = found->second;

    auto c = std::make_unique<CompiledSql>();
    c->kind = CompiledSql::Kind::kDml;
    c->function_code = 3;
    c->text = std::string(sql);
    c->ast.emplace<InsertStmt>();
    c->translated = shape.translated;
    c->generation = generation;
    Expr literal{};
    for (std::size_t i = 0; i < literals.size(); ++i) {
      const LiftedLiteral& slot = shape.lifted[i];
      LoadLiteral(literal, literals[i]);
      std::optional<Value> v = translator.StoredLiteral(literal,
                                                        *shape.translated.target, *slot.column);
      if (!v) return nullptr;
      c->translated.params[slot.param].constant = std::move(*v);
    }
    return c;
  } catch (const OraError&) {
    return nullptr;  // compiled again in full, which raises the error where it belongs
  }
}

}  // namespace qm::ocilite
