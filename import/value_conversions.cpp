#include "import/value_conversions.h"

#include <limits>
#include <stdexcept>

#include "platform/codepage.h"

namespace qm {
namespace {

// Decimal digits with optional leading blanks and sign, the whole text, within 32 bits.
std::optional<std::int32_t> ParseInt32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  // Accumulated as a negative number so that the most negative value fits.
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  if (pattern.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(pattern, from)) != std::string_view::npos;
       from = at + pattern.size()) {
    result.append(text, from, at - from);
    result.append(replacement);
  }
  result.append(text, from);
  return result;
}

std::string SqlTextLiteral(std::string_view value) {
  std::string sql;
  AppendSqlTextLiteral(sql, value);
  return sql;
}

void AppendSqlTextLiteral(std::string& sql, std::string_view value) {
  sql.reserve(sql.size() + value.size() + 2);
  sql += '\'';
  for (std::size_t from = 0;;) {
    const std::size_t quote = value.find('\'', from);
    if (quote == std::string_view::npos) {
      sql.append(value, from);
      break;
    }
    sql.append(value, from, quote + 1 - from);
    sql += '\'';
    from = quote + 1;
  }
  sql += '\'';
}

std::string ExtractLexeme(std::int32_t n, std::string_view text, std::string_view delimiter) {
  // Each skipped token takes its delimiter with it; a text used up early yields the empty text.
  for (; n > 1; --n) {
    if (text.empty()) return {};
    const std::size_t at = delimiter.empty() ? std::string_view::npos : text.find(delimiter);
    if (at == std::string_view::npos) return {};
    text.remove_prefix(at + delimiter.size());
  }
  const std::size_t at = delimiter.empty() ? std::string_view::npos : text.find(delimiter);
  return std::string(text.substr(0, at));
}

std::string NormalizeDate(std::string_view text) {
  if (text.empty()) return "01.01.1900";
  static constexpr auto kYearMark = Cp1251("г.");
  std::string date = ReplaceAll(text, kYearMark, "");
  if (date.empty()) return date;
  for (char& c : date)
    if (c == ',') c = '.';
  if (date.front() == '.') date.erase(0, 1);
  if (date.empty()) return date;
  if (date.back() == '.') date.pop_back();
  if (date.size() == 2) date.insert(0, "01.01.19");
  if (date.size() == 4) date.insert(0, "01.01.");
  if (date.size() > 10) date.resize(10);
  return date;
}

std::optional<std::string> ApplyConversionCode(std::string_view code, std::string_view value) {
  if (code.empty()) return std::string(value);
  const std::string_view rest = code.substr(1);
  switch (Cp1251Upper(code.front())) {
    case 'L': {
      const std::optional<std::int32_t> n = ParseInt32(rest);
      if (!n) throw std::runtime_error("'" + std::string(rest) + "' is not a valid integer value");
      return std::string(Lexeme(*n, value));
    }
    case 'D':
      return NormalizeDate(value);
    default:
      return std::nullopt;
  }
}

std::optional<std::int32_t> LexemeNumber(std::string_view code) {
  return code.empty() ? std::nullopt : ParseInt32(code.substr(1));
}

std::string_view Lexeme(std::int32_t n, std::string_view value) {
  // Commas split tokens as blanks do: "Ivanov, Ivan" has "Ivan" as its third token.
  static constexpr std::string_view kDelimiters = " ,";
  for (; n > 1; --n) {
    const std::size_t at = value.find_first_of(kDelimiters);
    if (at == std::string_view::npos) return {};
    value.remove_prefix(at + 1);
  }
  return value.substr(0, value.find_first_of(kDelimiters));
}

bool IsKnownConversionCode(std::string_view code) {
  if (code.empty()) return true;
  const char letter = Cp1251Upper(code.front());
  return letter == 'L' || letter == 'D';
}

}  // namespace qm
