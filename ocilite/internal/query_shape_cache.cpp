#include "ocilite/internal/query_shape_cache.h"

#include <variant>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/plain_literal_value.h"
#include "ocilite/internal/shape_scan.h"
#include "ocilite/internal/sql_parser.h"

namespace qm::ocilite {
namespace {

// Reads `sql` as text up to its word WHERE (where nothing may start a literal, a placeholder or a
// comment) and then terms "name = literal" and "name IS [NOT] NULL" joined by AND to the end,
// the name plain, quoted or dotted, each literal a text or a plain number followed by a blank or
// the end. `key` gets the text with each literal replaced by a mark of its kind, so that equal
// keys are equal tokens but for the literals' values. Whatever this does not take is left to the
// full compiler. `literals` keeps its texts' room from one query to the next: `count` says how
// many of them this query has.
bool ReadShape(std::string_view sql, std::string& key, std::vector<ScannedLiteral>& literals,
               std::size_t& count) {
  const std::size_t n = sql.size();
  std::size_t i = 0;
  count = 0;
  if (!SkipToWord(sql, i, "WHERE")) return false;
  std::size_t copied = 0;
  auto skip_blanks = [&] {
    while (i < n && IsBlank(sql[i])) ++i;
  };
  for (;;) {
    skip_blanks();
    const std::size_t name_start = i;
    while (i < n) {
      if (sql[i] == '"') {
        const auto close = sql.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        i = close + 1;
      } else if (IsNameChar(sql[i]) || sql[i] == '.') {
        ++i;
      } else {
        break;
      }
    }
    if (i == name_start) return false;
    skip_blanks();
    if (i == n) return false;
    if (sql[i] == '=') {
      ++i;
      skip_blanks();
      if (count == literals.size()) literals.emplace_back();
      ScannedLiteral& literal = literals[count++];
      if (!ReadPlainLiteral(sql, i, literal)) return false;
      if (i < n && !IsBlank(sql[i])) return false;
      key.append(sql.substr(copied, literal.pos - copied));
      key += literal.kind == ExprKind::kString ? "\x01s" : "\x01n";
      copied = i;
    } else {
      if (!IsWord(ReadWord(sql, i), "IS")) return false;
      skip_blanks();
      std::string_view word = ReadWord(sql, i);
      if (IsWord(word, "NOT")) {
        skip_blanks();
        word = ReadWord(sql, i);
      }
      if (!IsWord(word, "NULL")) return false;
    }
    const std::size_t term_end = i;
    skip_blanks();
    if (i == n) break;
    if (i == term_end || !IsWord(ReadWord(sql, i), "AND") || i == n || !IsBlank(sql[i]))
      return false;
  }
  key.append(sql.substr(copied));
  return count != 0;
}

// Whether `sql` has the shape whose key is `key`: its text equals the key's text between the
// literal marks, and where the key has a mark the text has a literal of that kind followed by a
// blank or the end, as ReadShape would read it. The literals go into `literals` as ReadShape
// puts them. Most of an import's queries are read this way, without a key of their own.
bool MatchesKey(std::string_view sql, std::string_view key, std::vector<ScannedLiteral>& literals,
                std::size_t& count) {
  const std::size_t n = sql.size();
  std::size_t i = 0;
  std::size_t k = 0;
  count = 0;
  for (;;) {
    const std::size_t mark = key.find('\x01', k);
    const std::string_view text = key.substr(k, mark == std::string_view::npos ? mark : mark - k);
    if (sql.substr(i, text.size()) != text) return false;
    i += text.size();
    if (mark == std::string_view::npos) return i == n && count != 0;
    if (mark + 1 >= key.size()) return false;
    if (count == literals.size()) literals.emplace_back();
    ScannedLiteral& literal = literals[count++];
    if (!ReadPlainLiteral(sql, i, literal)) return false;
    if (literal.kind != (key[mark + 1] == 's' ? ExprKind::kString : ExprKind::kNumber)) return false;
    if (i < n && !IsBlank(sql[i])) return false;
    k = mark + 2;
  }
}

// The value Translator::ComparedLiteral gives `literal` against `column`, made the short way for
// what an import compares: a text with a VARCHAR2 column, a plain number with a NUMBER column, a
// date in a plain session format with a DATE column. False leaves the literal to the translator,
// and with it every literal that is NULL, needs the column converted, or fails to convert.
bool QuickComparedValue(const ScannedLiteral& literal, const SqlType& column, EvalContext& ctx,
                        const DateFormat*& date_format, Value& out) {
  if (literal.text.empty()) return false;
  switch (column.type) {
    case DataType::kVarchar2:
      if (literal.kind != ExprKind::kString) return false;
      out.kind = Value::Kind::kText;
      out.s.assign(literal.text);
      return true;
    case DataType::kNumber:
      return PlainNumberValue(literal, ctx, 0, kFloatScale, out);  // a comparison rounds nothing
    case DataType::kDate:
      return PlainDateValue(literal, ctx, date_format, out);
    default:
      return false;
  }
}

}  // namespace

std::unique_ptr<CompiledSql> QueryShapeCache::Compile(std::string_view sql,
                                                      std::uint64_t generation, Catalog& catalog,
                                                      EvalContext& ctx,
                                                      std::unique_ptr<CompiledSql>& spare) {
  if (generation != generation_) {
    shapes_.clear();
    last_shape_ = nullptr;
    generation_ = generation;
  }
  try {
    std::size_t count = 0;
    const bool same_shape = last_shape_ && MatchesKey(sql, last_key_, literals_, count);
    if (!same_shape) {
      key_.clear();
      if (!ReadShape(sql, key_, literals_, count)) return nullptr;
    }
    std::vector<ScannedLiteral>& literals = literals_;

    Translator translator(catalog, ctx, NoBindTypes(), sql);
    if (!same_shape && (!last_shape_ || key_ != last_key_)) {
      auto found = shapes_.find(key_);
      if (found == shapes_.end()) {
        const Statement ast = ParseStatement(sql);
        const auto* select = std::get_if<SelectStmt>(&ast);
        if (!select) return nullptr;
        Shape shape;
        shape.translated = translator.QueryShape(*select, shape.lifted);
        // Every literal the text holds must be one the translation lifted, in the same place.
        if (shape.lifted.size() != count) return nullptr;
        for (std::size_t i = 0; i < count; ++i)
          if (shape.lifted[i].pos != literals[i].pos) return nullptr;
        if (shapes_.size() >= kMaxShapes) shapes_.clear();
        found = shapes_.emplace(key_, std::move(shape)).first;
      }
      last_shape_ = &found->second;
      last_key_ = key_;
    }
    const Shape& shape = *last_shape_;

    std::unique_ptr<CompiledSql> c = FromShape(spare, shape.id, shape.translated, generation);
    c->kind = CompiledSql::Kind::kQuery;
    c->function_code = 4;
    c->text.assign(sql);
    c->ast.emplace<SelectStmt>();
    const DateFormat* date_format = nullptr;
    Expr literal{};
    for (std::size_t i = 0; i < count; ++i) {
      const LiftedComparison& slot = shape.lifted[i];
      Value& value = c->translated.params[slot.param].constant;
      if (QuickComparedValue(literals[i], slot.column_type, ctx, date_format, value)) continue;
      LoadLiteral(literal, literals[i]);
      std::optional<Value> v = translator.ComparedLiteral(slot, literal);
      if (!v) return nullptr;
      value = std::move(*v);
    }
    return c;
  } catch (const OraError&) {
    return nullptr;  // compiled again in full, which raises the error where it belongs
  }
}

}  // namespace qm::ocilite
