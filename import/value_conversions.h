#pragma once
// The text functions that prepare a value for the import's SQL, where every value is sent as a
// text literal, and the two conversion codes of the "Process data" column.
// All work on single-byte code page 1251 text; comparisons are exact and case-sensitive. All are
// pure and leave their arguments alone.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// `text` with every occurrence of `pattern` replaced, found left to right without overlapping;
// the replacement is never searched again. An empty pattern returns the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// `value` as an SQL text literal that stands for exactly these bytes: between apostrophes, each
// apostrophe inside doubled. Every other character stays as it is; inside a literal nothing else
// (double quotes, commas, semicolons, "--", backslashes) has a meaning to the server.
std::string SqlTextLiteral(std::string_view value);
// The same, appended to `sql`.
void AppendSqlTextLiteral(std::string& sql, std::string_view value);

// The n-th token (counted from 1) of `text` split at each occurrence of the whole `delimiter`.
// An n of 1 or less gives the first token; a leading delimiter or two delimiters in a row make an
// empty token that counts; an n beyond the last token gives the empty text. An empty delimiter
// never occurs, so the whole text is the first token. Runs in time linear in the text's length.
std::string ExtractLexeme(std::int32_t n, std::string_view text, std::string_view delimiter);

// Brings a date text towards DD.MM.YYYY: an empty text is "01.01.1900"; "г." is removed, commas
// become full stops, one full stop is cut at each end, a two-digit year becomes 01.01.19yy, a
// four-digit one 01.01.yyyy, and anything longer than ten characters is cut to ten. A text left
// empty after removing "г." or the leading full stop gives the empty text. Blanks and digits are
// not checked.
std::string NormalizeDate(std::string_view text);

// The value converted by a "Process data" code: "L<n>" (either case; n a signed 32-bit decimal
// integer, blanks and a sign allowed before it) takes the n-th token of the value split at every
// blank and every comma (each one a delimiter of its own, so ", " leaves an empty token between),
// "D" (either case, the rest ignored) normalises it as a date. An empty code returns the value
// unchanged. A code of any other first letter gives no value. Throws std::runtime_error
// "'<rest>' is not a valid integer value" when the text after "L" is no such integer.
std::optional<std::string> ApplyConversionCode(std::string_view code, std::string_view value);

// The n of an "L<n>" code (the text after its first letter, as ApplyConversionCode reads it), or
// nothing when that text is no such integer.
std::optional<std::int32_t> LexemeNumber(std::string_view code);
// The token an "L<n>" code takes from `value`: the n-th (an n of 1 or less: the first) of the
// value split at every blank and every comma, or the empty text past the last; a view into value.
std::string_view Lexeme(std::int32_t n, std::string_view value);

// True for the codes ApplyConversionCode knows by their first letter: empty, L or D, either case.
bool IsKnownConversionCode(std::string_view code);

}  // namespace qm
