// Splits an Oracle SQL statement (UTF-8) into tokens with their byte offsets. Unquoted names are
// folded to upper case here; quoted names keep their case. Lexical faults raise OraError with the
// offset: ORA-00911 for a character SQL has no use for (a trailing ";" among them), ORA-01756
// for an unterminated text literal, ORA-01704 for one over 4000 characters, ORA-00972 for a name
// over 30 characters, ORA-01740/01741 for bad quoted names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm::ocilite {

enum class TokenKind {
  kName,        // unquoted identifier or keyword, upper case
  kQuotedName,  // "Name", quotes removed
  kString,      // 'text', quotes removed and '' made '
  kNumber,      // numeric literal as written
  kBind,        // :name or :1, without the colon; names upper case
  kSymbol,      // ( ) , . + - * / || = <> != ^= < > <= >= @ and so on
  kEnd,         // end of the statement
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  int pos = 0;  // byte offset of the token's first character
  int end = 0;  // byte offset after it

  bool IsName(std::string_view upper) const { return kind == TokenKind::kName && text == upper; }
  bool IsSymbol(std::string_view s) const { return kind == TokenKind::kSymbol && text == s; }
};

// The tokens of `sql`, ending with one kEnd token positioned at the end of the text.
std::vector<Token> Tokenize(std::string_view sql);

// Longest name Oracle accepts, in characters.
inline constexpr std::size_t kMaxNameLength = 30;

// Longest text literal SQL takes: 4000 bytes of the server's single-byte character set, so 4000
// characters here. A longer one fails its statement with ORA-01704.
inline constexpr std::size_t kMaxTextLiteralLength = 4000;
bool TextLiteralTooLong(std::string_view text);

// Oracle's reserved words cannot name a table or column unless quoted.
bool IsReservedWord(std::string_view upper);

}  // namespace qm::ocilite
