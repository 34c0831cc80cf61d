#include "ocilite/internal/insert_shape_cache.h"

#include <charconv>
#include <optional>
#include <variant>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/plain_literal_value.h"
#include "ocilite/internal/shape_scan.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

// Splits `sql` into the text before its word VALUES, which goes into `key` as it stands, and the
// literals of the list after it. Before VALUES nothing may start a literal, a placeholder or a
// comment, so that equal texts there are equal tokens; the list must be "(" literal {"," literal}
// ")" and the end, each literal a text, a plain number or NULL. Whatever this does not take is
// left to the full compiler: it never has to agree with the lexer on anything harder.
// `key` holds the previous statement's key on entry: a statement with the same text before VALUES
// (as an import sends record after record) takes it without a second scan.
bool ReadShape(std::string_view sql, std::string& key, std::vector<ScannedLiteral>& literals,
               std::size_t& count) {
  const std::size_t n = sql.size();
  std::size_t i = 0;
  count = 0;
  auto append_number = [&](std::size_t v) {
    char digits[24];
    key.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
  };
  std::size_t before = 0;  // the length of the text before VALUES in the previous key
  const std::size_t colon = key.find(':');
  if (colon != std::string::npos) std::from_chars(key.data(), key.data() + colon, before);
  const std::string_view previous =
      colon == std::string::npos || key.size() < colon + 1 + before
          ? std::string_view()
          : std::string_view(key).substr(colon + 1, before);
  if (!previous.empty() && n >= before + 6 && sql.substr(0, before) == previous &&
      IsWord(sql.substr(before, 6), "VALUES") && (n == before + 6 || !IsNameChar(sql[before + 6]))) {
    // The same text up to the same word VALUES, which the scan would find again.
    i = before + 6;
    key.resize(colon + 1 + before);
  } else {
    if (!SkipToWord(sql, i, "VALUES")) return false;
    key.clear();
    append_number(i - 6);
    key += ':';
    key.append(sql.substr(0, i - 6));
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
    // The literals' texts keep their room from one statement to the next.
    if (count == literals.size()) literals.emplace_back();
    ScannedLiteral& literal = literals[count++];
    if (!ReadPlainLiteral(sql, i, literal)) {
      if (sql[start] == '\'') return false;
      if (!IsWord(ReadWord(sql, i), "NULL")) return false;
      literal.kind = ExprKind::kNull;
      literal.text.clear();
    }
    skip_blanks();
    if (i == n) return false;
    if (sql[i] == ')') break;
    if (sql[i] != ',') return false;
    ++i;
  }
  ++i;
  skip_blanks();
  key += '(';
  append_number(count);
  key += ')';
  return i == n;
}

// The value Translator::StoredLiteral gives `literal` in `column`, made the short way for what an
// import sends into text, NUMBER and DATE columns: a text of the right length, a plain number, a
// date in a plain session format, NULL. False leaves the literal to the translator, and with it
// every literal that raises an error.
bool QuickStoredValue(const ScannedLiteral& literal, const ColumnInfo& column, EvalContext& ctx,
                      const DateFormat*& date_format, Value& out) {
  const SqlType& t = column.type;
  switch (t.type) {
    case DataType::kVarchar2:
    case DataType::kChar:
    case DataType::kDate:
      break;
    case DataType::kNumber:
      if (t.is_float) return false;
      break;
    default:
      return false;
  }
  // The empty text is NULL, in every one of these types.
  if (literal.kind == ExprKind::kNull || literal.text.empty()) {
    if (!column.nullable) return false;
    out = Value::Null();
    return true;
  }
  switch (t.type) {
    case DataType::kNumber:
      return PlainNumberValue(literal, ctx, t.precision, t.scale, out);
    case DataType::kDate:
      return PlainDateValue(literal, ctx, date_format, out);
    default: {
      if (literal.kind != ExprKind::kString) return false;
      const std::size_t length = Utf8Length(literal.text);
      if (length > static_cast<std::size_t>(t.length)) return false;
      out.kind = Value::Kind::kText;
      out.s.reserve(t.type == DataType::kChar ? literal.text.size() + (t.length - length)
                                              : literal.text.size());
      out.s.assign(literal.text);
      if (t.type == DataType::kChar) out.s.append(t.length - length, ' ');
      return true;
    }
  }
}

}  // namespace

std::unique_ptr<CompiledSql> InsertShapeCache::Compile(std::string_view sql,
                                                       std::uint64_t generation, Catalog& catalog,
                                                       EvalContext& ctx,
                                                       std::unique_ptr<CompiledSql>& spare) {
  if (generation != generation_) {
    shapes_.clear();
    generation_ = generation;
  }
  try {
    std::size_t count = 0;
    if (!ReadShape(sql, key_, literals_, count)) return nullptr;

    Translator translator(catalog, ctx, NoBindTypes(), sql);
    auto found = shapes_.find(key_);
    if (found == shapes_.end()) {
      const Statement ast = ParseStatement(sql);
      const auto* insert = std::get_if<InsertStmt>(&ast);
      if (!insert || insert->query || insert->values.size() != count) return nullptr;
      for (std::size_t i = 0; i < count; ++i) {
        const Expr& v = *insert->values[i];
        if (v.kind != literals_[i].kind || v.text != literals_[i].text) return nullptr;
      }
      Shape shape;
      shape.translated = translator.InsertShape(*insert, shape.lifted);
      if (shape.lifted.size() != count) return nullptr;
      if (shapes_.size() >= kMaxShapes) shapes_.clear();
      found = shapes_.emplace(key_, std::move(shape)).first;
    }
    const Shape& shape = found->second;

    std::unique_ptr<CompiledSql> c = FromShape(spare, shape.id, shape.translated, generation);
    c->kind = CompiledSql::Kind::kDml;
    c->function_code = 3;
    c->text.clear();
    c->ast.emplace<InsertStmt>();
    const DateFormat* date_format = nullptr;
    Expr literal{};
    for (std::size_t i = 0; i < count; ++i) {
      const LiftedLiteral& slot = shape.lifted[i];
      Value& value = c->translated.params[slot.param].constant;
      if (QuickStoredValue(literals_[i], *slot.column, ctx, date_format, value)) continue;
      LoadLiteral(literal, literals_[i]);
      std::optional<Value> v =
          translator.StoredLiteral(literal, *shape.translated.target, *slot.column);
      if (!v) return nullptr;
      value = std::move(*v);
    }
    return c;
  } catch (const OraError&) {
    return nullptr;  // compiled again in full, which raises the error where it belongs
  }
}

}  // namespace qm::ocilite
