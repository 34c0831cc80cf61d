#include "ocilite/internal/shape_scan.h"

#include <atomic>

#include "ocilite/internal/sql_lexer.h"

namespace qm::ocilite {

bool IsWord(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((text[i] >= 'a' && text[i] <= 'z' ? text[i] - 32 : text[i]) != upper[i]) return false;
  return true;
}

bool SkipToWord(std::string_view sql, std::size_t& i, std::string_view upper) {
  const std::size_t n = sql.size();
  while (i < n) {
    const char c = sql[i];
    if (c == '"') {  // a quoted name, which may hold any word
      const auto close = sql.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close + 1;
    } else if (IsNameChar(c)) {
      if (IsWord(ReadWord(sql, i), upper)) return true;
    } else if (c == '\'' || c == '-' || c == '/' || c == ':') {
      return false;
    } else {
      ++i;
    }
  }
  return false;
}

std::string_view ReadWord(std::string_view sql, std::size_t& i) {
  const std::size_t start = i;
  while (i < sql.size() && IsNameChar(sql[i])) ++i;
  return sql.substr(start, i - start);
}

bool ReadPlainLiteral(std::string_view sql, std::size_t& i, ScannedLiteral& literal) {
  const std::size_t n = sql.size();
  if (i == n) return false;
  const std::size_t start = i;
  literal.pos = static_cast<int>(start);
  literal.text.clear();
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
    return !TextLiteralTooLong(literal.text);
  }
  if (!IsDigit(sql[i])) return false;
  literal.kind = ExprKind::kNumber;
  while (i < n && IsDigit(sql[i])) ++i;
  if (i < n && sql[i] == '.') {
    ++i;
    while (i < n && IsDigit(sql[i])) ++i;
  }
  literal.text.assign(sql.substr(start, i - start));
  return true;
}

std::uint64_t NewShapeId() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

std::unique_ptr<CompiledSql> FromShape(std::unique_ptr<CompiledSql>& spare, std::uint64_t shape_id,
                                       const TranslatedStatement& translated,
                                       std::uint64_t generation) {
  std::unique_ptr<CompiledSql> c = spare ? std::move(spare) : std::make_unique<CompiledSql>();
  if (c->shape != shape_id) {
    c->translated = translated;
    c->shape = shape_id;
  }
  c->generation = generation;
  return c;
}

void LoadLiteral(Expr& e, ScannedLiteral& literal) {
  e.kind = literal.kind;
  e.pos = literal.pos;
  e.text.swap(literal.text);
}

}  // namespace qm::ocilite
