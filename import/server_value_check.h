#pragma once
// What an Oracle server answers when a text literal of the import is stored into a column of the
// target table, worked out in the client from the column's dictionary facts, so that a dry run can
// list the records a real run would lose without writing anything. Every function is pure.
//
// The import sends each value as a text literal ('...'), which the server converts to the
// column's type by the session's settings: NLS_DATE_FORMAT for DATE, a full stop as the decimal
// character for NUMBER (the session is set up so). The messages are Oracle's, "ORA-nnnnn: ...",
// without a line end. Texts are code page 1251, the client character set of the session.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One row of USER_TAB_COLUMNS / ALL_TAB_COLUMNS, as far as storing a value needs it.
struct TargetColumn {
  std::string name;            // COLUMN_NAME
  std::string dataType;        // DATA_TYPE: VARCHAR2, CHAR, NUMBER, FLOAT, DATE, CLOB, ...
  long dataLength = 0;         // DATA_LENGTH, in bytes of the database character set
  std::optional<int> precision;  // DATA_PRECISION
  std::optional<int> scale;      // DATA_SCALE
  bool nullable = true;        // NULLABLE = 'Y'
  bool charSemantics = false;  // CHAR_USED = 'C': the length counts characters
  long charLength = 0;         // CHAR_LENGTH, the length in characters
  bool hasDefault = false;     // DATA_DEFAULT is set (DEFAULT_LENGTH not null)
};

// The target table and the session's settings the conversions depend on.
struct TargetFacts {
  std::string owner;  // the schema, as ORA-01400 and ORA-12899 name the column
  std::string table;
  std::vector<TargetColumn> columns;  // in COLUMN_ID order
  // The database character set stores a character of code page 1251 in more than one byte when
  // it is a Unicode one (AL32UTF8, UTF8); every other one stores one byte a character.
  bool utf8Database = false;
  std::string databaseCharacterSet;  // as the server named it; empty when it could not be read
  // The session's NLS_DATE_FORMAT; dates are not checked when it holds elements the check does
  // not read (DateFormatCheckable).
  std::string dateFormat = "DD.MM.RRRR HH24:MI:SS";
  int currentYear = 2000;  // what RR and YY years are counted from

  // "OWNER"."TABLE"."COLUMN", as the server names a column in its messages.
  std::string QualifiedColumn(const std::string& column) const;
  // The column the link's name stands for: an unquoted name in upper case, a quoted one as
  // written. nullptr when the table has none.
  const TargetColumn* FindColumn(const std::string& linkName) const;
};

// The longest text literal the server parses, in bytes (ORA-01704 beyond).
inline constexpr std::size_t kMaxTextLiteral = 4000;

// Whether DateFault can read dates of this format model: DD, MM, YYYY, RRRR, YY, RR, HH24, HH,
// MI, SS, punctuation, blanks and quoted text.
bool DateFormatCheckable(std::string_view format);

// The error the server gives for reading `text` as a date by `format` (a checkable model), e.g.
// "ORA-01843: not a valid month"; nullopt when it is a date. The empty text is NULL, no fault.
std::optional<std::string> DateFault(std::string_view text, std::string_view format,
                                     int currentYear);

// The error the server gives for storing the text literal `value` into `column`: ORA-01400
// (empty text into a NOT NULL column), ORA-12899 (longer than the column in bytes of the database
// character set, or in characters when the column counts them), ORA-01722 (no number), ORA-01426
// (beyond NUMBER's range), ORA-01438 (more digits before the point than precision minus scale
// allow, after rounding to the scale), the ORA-018xx of a date, nullopt when it would be stored.
// Types the check does not know (TIMESTAMP, RAW, LOBs, ...) take every value; the literal's own
// length is LiteralFault's.
std::optional<std::string> ColumnFault(const TargetFacts& facts, const TargetColumn& column,
                                       std::string_view value);

// The error the server gives for comparing `column` with the text literal `value` in a WHERE
// condition, as the existence query of "Seek old record" does: only the conversion to the
// column's type can fail there (ORA-01722, ORA-01426, the ORA-018xx of a date); a text too long
// for the column or a number too precise merely matches no row, and an empty value is compared
// with IS NULL.
std::optional<std::string> ComparisonFault(const TargetFacts& facts, const TargetColumn& column,
                                           std::string_view value);

// Whether a column of this DATA_TYPE can be compared with a literal at all: LONG, LONG RAW and the
// LOB types cannot, so an existence query naming one fails as a whole.
bool Comparable(const std::string& dataType);

// "ORA-01704: string literal too long" for a literal longer than kMaxTextLiteral bytes.
std::optional<std::string> LiteralFault(std::string_view value);

}  // namespace qm
