// Reading a statement's text for its shape: the text with its literals taken out. The shape
// caches (insert_shape_cache.h, query_shape_cache.h) read only what is plain enough to be sure
// the lexer reads it alike; anything else they leave to the full compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ocilite/internal/compiled_sql.h"
#include "ocilite/internal/sql_ast.h"

namespace qm::ocilite {

// A literal as the lexer would give it: a text (its quotes taken off, '' read as one quote) or a
// plain number (digits, a point and digits), and its byte offset in the statement.
struct ScannedLiteral {
  ExprKind kind = ExprKind::kNull;
  std::string text;
  int pos = 0;
};

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// As the lexer has it: letters, digits, _ $ # and every byte of a multibyte character.
inline bool IsNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80 || IsDigit(c) || c == '_' ||
         c == '$' || c == '#';
}
// `text` is the word `upper` in any letter case.
bool IsWord(std::string_view text, std::string_view upper);

// Moves `i` past the first word `upper` (in any letter case) standing outside quoted names.
// False when the text ends first, or when anything before the word could start a literal, a
// placeholder or a comment: equal texts up to the word are then equal tokens.
bool SkipToWord(std::string_view sql, std::size_t& i, std::string_view upper);

// Reads the word at `i` (letters, digits, ...) and moves past it; empty when none starts there.
std::string_view ReadWord(std::string_view sql, std::size_t& i);

// Reads the text or plain number literal at `i` into `literal` and moves past it. False when none
// starts there, when a text is not closed, or when it is longer than a literal may be (the full
// compiler gives that error).
bool ReadPlainLiteral(std::string_view sql, std::size_t& i, ScannedLiteral& literal);

// A number for a new shape of either cache, never given out again in the process.
std::uint64_t NewShapeId();

// A statement made from the shape `shape_id` whose translation is `translated`, in the room of
// `spare` when there is one: the translation is copied only when `spare` was made from another
// shape, so the caller writes the literals' parameters and the statement's own fields.
std::unique_ptr<CompiledSql> FromShape(std::unique_ptr<CompiledSql>& spare, std::uint64_t shape_id,
                                       const TranslatedStatement& translated,
                                       std::uint64_t generation);

// Makes `e` the literal as the parser gives it, taking its text; one Expr serves every literal
// of a statement in turn.
void LoadLiteral(Expr& e, ScannedLiteral& literal);

}  // namespace qm::ocilite
