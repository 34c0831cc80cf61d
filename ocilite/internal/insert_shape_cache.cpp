#include "ocilite/internal/insert_shape_cache.h"

#include <variant>

#include "oci/oci.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_lexer.h"
#include "ocilite/internal/sql_parser.h"

namespace qm::ocilite {
namespace {

// One value of the VALUES list: its kind and its text as the lexer would give it.
struct Literal {
  ExprKind kind;
  std::string text;
  int pos;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
// As the lexer has it: letters, digits, _ $ # and every byte of a multibyte character.
bool IsNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80 || IsDigit(c) || c == '_' ||
         c == '$' || c == '#';
}
bool IsWord(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((text[i] >= 'a' && text[i] <= 'z' ? text[i] - 32 : text[i]) != upper[i]) return false;
  return true;
}

// Splits `sql` into the text before its word VALUES, which goes into `key` as it stands, and the
// literals of the list after it. Before VALUES nothing may start a literal, a placeholder or a
// comment, so that equal texts there are equal tokens; the list must be "(" literal {"," literal}
// ")" and the end, each literal a text, a plain number or NULL. Whatever this does not take is
// left to the full compiler: it never has to agree with the lexer on anything harder.
bool ReadShape(std::string_view sql, std::string& key, std::vector<Literal>& literals) {
  const std::size_t n = sql.size();
  std::size_t i = 0;
  for (;;) {
    if (i == n) return false;
    const char c = sql[i];
    if (c == '"') {  // a quoted name, which may hold any word
      const auto close = sql.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close + 1;
    } else if (IsNameChar(c)) {
      const std::size_t start = i;
      while (i < n && IsNameChar(sql[i])) ++i;
      if (IsWord(sql.substr(start, i - start), "VALUES")) {
        key = std::to_string(start) + ":" + std::string(sql.substr(0, start));
        break;
      }
    } else if (c == '\'' || c == '-' || c == '/' || c == ':') {
      return false;
    } else {
      ++i;
    }
  }
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
    Literal literal{ExprKind::kNull, {}, static_cast<int>(start)};
    if (sql[i] == '\'') {
      literal.kind = ExprKind::kString;
      for (++i;;) {
        const auto quote = sql.find('\'', i);
        if (quote == std::string_view::npos) return false;
        literal.text.append(sql.substr(i, quote - i));
        i = quote + 1;
        if (i < n && sql[i] == '\'') {  // '' stands for one quote
          literal.text += '\'';
          ++i;
          continue;
        }
        break;
      }
      if (TextLiteralTooLong(literal.text)) return false;
    } else if (IsDigit(sql[i])) {
      literal.kind = ExprKind::kNumber;
      while (i < n && IsDigit(sql[i])) ++i;
      if (i < n && sql[i] == '.') {
        ++i;
        while (i < n && IsDigit(sql[i])) ++i;
      }
      literal.text = std::string(sql.substr(start, i - start));
    } else {
      while (i < n && IsNameChar(sql[i])) ++i;
      if (!IsWord(sql.substr(start, i - start), "NULL")) return false;
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

Expr LiteralExpr(const Literal& literal) {
  Expr e{};
  e.kind = literal.kind;
  e.pos = literal.pos;
  e.text = literal.text;
  return e;
}

const BindTypes& NoBinds() {
  static const BindTypes none = [](const std::string&, int) -> SqlType { throw OraError(1008); };
  return none;
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
    std::vector<Literal> literals;
    literals.reserve(16);
    if (!ReadShape(sql, key, literals)) return nullptr;

    Translator translator(catalog, ctx, NoBinds(), sql);
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
    for (std::size_t i = 0; i < literals.size(); ++i) {
      const LiftedLiteral& slot = shape.lifted[i];
      std::optional<Value> v = translator.StoredLiteral(LiteralExpr(literals[i]),
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
