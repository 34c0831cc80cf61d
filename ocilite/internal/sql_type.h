// The Oracle data type of a column or expression, and how each type is stored in SQLite.
//
// Storage: VARCHAR2, CHAR and LONG as TEXT (UTF-8); NUMBER as a BLOB holding its internal form
// (oracle_number.h), which compares as the numbers do; DATE as TEXT "YYYY-MM-DD HH:MM:SS", which
// sorts and compares like the dates themselves; RAW and LONG RAW as BLOB; CLOB as TEXT and BLOB as
// BLOB, where a zero-length BLOB value in either is the empty LOB (an empty text is NULL); BFILE as
// TEXT "DIRECTORY/file name".
#pragma once

#include <cstdint>
#include <string>

namespace qm::ocilite {

enum class DataType : std::uint8_t {
  kNull,  // the type of a bare NULL: converts to anything
  kVarchar2,
  kChar,
  kNumber,
  kDate,
  kLong,
  kRaw,
  kLongRaw,
  kRowid,
  kClob,
  kBlob,
  kBfile,
};

// NUMBER without a scale describes with this scale (as FLOAT does).
inline constexpr int kFloatScale = -127;

struct SqlType {
  DataType type = DataType::kNull;
  int length = 0;           // VARCHAR2, CHAR, RAW: maximum length (characters, bytes for RAW)
  int precision = 0;        // NUMBER: decimal digits, 0 when not given; FLOAT: binary digits
  int scale = kFloatScale;  // NUMBER: digits after the point; kFloatScale when not given
  bool is_float = false;    // declared FLOAT[(b)]

  static SqlType Varchar2(int length) { return {DataType::kVarchar2, length}; }
  static SqlType Char(int length) { return {DataType::kChar, length}; }
  static SqlType Number(int precision = 0, int scale = kFloatScale) {
    return {DataType::kNumber, 0, precision, scale};
  }
  static SqlType Date() { return {DataType::kDate}; }
  static SqlType Long() { return {DataType::kLong}; }
  static SqlType Raw(int length) { return {DataType::kRaw, length}; }

  bool IsText() const {
    return type == DataType::kVarchar2 || type == DataType::kChar || type == DataType::kLong;
  }
  bool IsNull() const { return type == DataType::kNull; }
  bool IsLob() const {
    return type == DataType::kClob || type == DataType::kBlob || type == DataType::kBfile;
  }

  // Oracle's name of the type as the dictionary spells it: "VARCHAR2", "NUMBER", "FLOAT"...
  std::string DictionaryName() const;
  // Internal type code reported by describe (1 VARCHAR2, 2 NUMBER, 8 LONG, 12 DATE, ...).
  int InternalCode() const;
  // Size in bytes reported by describe and by DATA_LENGTH (22 for NUMBER, 7 for DATE, ...).
  int DataSize() const;
  // The column type SQLite is given, which sets the column's affinity.
  const char* StorageDeclaration() const;
};

}  // namespace qm::ocilite
