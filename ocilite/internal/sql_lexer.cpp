#include "ocilite/internal/sql_lexer.h"

#include <algorithm>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

void CheckNameLength(std::string_view name, int pos) {
  if (Utf8Length(name) > kMaxNameLength) throw OraError(972).At(pos);
}

}  // namespace

bool TextLiteralTooLong(std::string_view text) {
  // Characters are never more than bytes: most texts are ruled out without counting.
  return text.size() > kMaxTextLiteralLength && Utf8Length(text) > kMaxTextLiteralLength;
}

bool IsReservedWord(std::string_view w) {
  static constexpr std::string_view kWords[] = {
      "ACCESS",    "ADD",      "ALL",        "ALTER",      "AND",      "ANY",        "AS",
      "ASC",       "AUDIT",    "BETWEEN",    "BY",         "CHAR",     "CHECK",      "CLUSTER",
      "COLUMN",    "COMMENT",  "COMPRESS",   "CONNECT",    "CREATE",   "CURRENT",    "DATE",
      "DECIMAL",   "DEFAULT",  "DELETE",     "DESC",       "DISTINCT", "DROP",       "ELSE",
      "EXCLUSIVE", "EXISTS",   "FILE",       "FLOAT",      "FOR",      "FROM",       "GRANT",
      "GROUP",     "HAVING",   "IDENTIFIED", "IMMEDIATE",  "IN",       "INCREMENT",  "INDEX",
      "INITIAL",   "INSERT",   "INTEGER",    "INTERSECT",  "INTO",     "IS",         "LEVEL",
      "LIKE",      "LOCK",     "LONG",       "MAXEXTENTS", "MINUS",    "MLSLABEL",   "MODE",
      "MODIFY",    "NOAUDIT",  "NOCOMPRESS", "NOT",        "NOWAIT",   "NULL",       "NUMBER",
      "OF",        "OFFLINE",  "ON",         "ONLINE",     "OPTION",   "OR",         "ORDER",
      "PCTFREE",   "PRIOR",    "PRIVILEGES", "PUBLIC",     "RAW",      "RENAME",     "RESOURCE",
      "REVOKE",    "ROW",      "ROWID",      "ROWNUM",     "ROWS",     "SELECT",     "SESSION",
      "SET",       "SHARE",    "SIZE",       "SMALLINT",   "START",    "SUCCESSFUL", "SYNONYM",
      "SYSDATE",   "TABLE",    "THEN",       "TO",         "TRIGGER",  "UID",        "UNION",
      "UNIQUE",    "UPDATE",   "USER",       "VALIDATE",   "VALUES",   "VARCHAR",    "VARCHAR2",
      "VIEW",      "WHENEVER", "WHERE",      "WITH",
  };
  static_assert(std::is_sorted(std::begin(kWords), std::end(kWords)));
  return std::binary_search(std::begin(kWords), std::end(kWords), w);
}

std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  tokens.reserve(sql.size() / 3 + 4);
  const auto n = sql.size();
  std::size_t i = 0;
  auto push = [&](TokenKind kind, std::string text, std::size_t pos, std::size_t end) {
    tokens.push_back({kind, std::move(text), static_cast<int>(pos), static_cast<int>(end)});
  };
  while (i < n) {
    const auto c = static_cast<unsigned char>(sql[i]);
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      ++i;
      continue;
    }
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      while (i < n && sql[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      const auto close = sql.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;
      continue;
    }
    const std::size_t start = i;
    if (IsNameStart(c)) {
      // N'...' is a national text literal; the engine keeps one character set.
      if ((c == 'N' || c == 'n') && i + 1 < n && sql[i + 1] == '\'') {
        ++i;
        continue;
      }
      while (i < n && IsNameChar(static_cast<unsigned char>(sql[i]))) ++i;
      std::string name = Utf8Upper(sql.substr(start, i - start));
      CheckNameLength(name, static_cast<int>(start));
      push(TokenKind::kName, std::move(name), start, i);
      continue;
    }
    if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(sql[i + 1]))) {
      while (i < n && IsDigit(sql[i])) ++i;
      if (i < n && sql[i] == '.' && !(i + 1 < n && sql[i + 1] == '.')) {
        ++i;
        while (i < n && IsDigit(sql[i])) ++i;
      }
      if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (sql[j] == '+' || sql[j] == '-')) ++j;
        if (j < n && IsDigit(sql[j])) {
          i = j;
          while (i < n && IsDigit(sql[i])) ++i;
        }
      }
      push(TokenKind::kNumber, std::string(sql.substr(start, i - start)), start, i);
      continue;
    }
    if (c == '\'') {
      std::string text;
      ++i;
      for (;;) {
        const auto quote = sql.find('\'', i);
        if (quote == std::string_view::npos) throw OraError(1756).At(static_cast<int>(start));
        text.append(sql.substr(i, quote - i));
        i = quote + 1;
        if (i < n && sql[i] == '\'') {  // '' stands for one quote
          text += '\'';
          ++i;
          continue;
        }
        break;
      }
      if (TextLiteralTooLong(text)) throw OraError(1704).At(static_cast<int>(start));
      push(TokenKind::kString, std::move(text), start, i);
      continue;
    }
    if (c == '"') {
      const auto close = sql.find('"', i + 1);
      if (close == std::string_view::npos) throw OraError(1740).At(static_cast<int>(start));
      std::string name(sql.substr(i + 1, close - i - 1));
      if (name.empty()) throw OraError(1741).At(static_cast<int>(start));
      CheckNameLength(name, static_cast<int>(start));
      i = close + 1;
      push(TokenKind::kQuotedName, std::move(name), start, i);
      continue;
    }
    if (c == ':' && i + 1 < n &&
        (IsNameChar(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '"')) {
      ++i;
      std::string name;
      if (sql[i] == '"') {
        const auto close = sql.find('"', i + 1);
        if (close == std::string_view::npos) throw OraError(1740).At(static_cast<int>(start));
        name = std::string(sql.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        const std::size_t s = i;
        while (i < n && IsNameChar(static_cast<unsigned char>(sql[i]))) ++i;
        name = Utf8Upper(sql.substr(s, i - s));
      }
      push(TokenKind::kBind, std::move(name), start, i);
      continue;
    }
    auto two = [&](std::string_view op) { return sql.substr(i, 2) == op; };
    if (two("||") || two("<>") || two("!=") || two("^=") || two("~=") || two("<=") || two(">=") ||
        two(":=") || two("=>")) {
      std::string op(sql.substr(i, 2));
      if (op == "^=" || op == "~=") op = "!=";
      i += 2;
      push(TokenKind::kSymbol, std::move(op), start, i);
      continue;
    }
    static constexpr std::string_view kSingles = "()+-*/=<>,.@";
    if (kSingles.find(static_cast<char>(c)) != std::string_view::npos) {
      ++i;
      push(TokenKind::kSymbol, std::string(1, static_cast<char>(c)), start, i);
      continue;
    }
    throw OraError(911).At(static_cast<int>(start));
  }
  push(TokenKind::kEnd, {}, n, n);
  return tokens;
}

}  // namespace qm::ocilite
