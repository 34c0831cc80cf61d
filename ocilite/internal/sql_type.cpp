#include "ocilite/internal/sql_type.h"

namespace qm::ocilite {

std::string SqlType::DictionaryName() const {
  switch (type) {
    case DataType::kVarchar2:
      return "VARCHAR2";
    case DataType::kChar:
      return "CHAR";
    case DataType::kNumber:
      return is_float ? "FLOAT" : "NUMBER";
    case DataType::kDate:
      return "DATE";
    case DataType::kLong:
      return "LONG";
    case DataType::kRaw:
      return "RAW";
    case DataType::kLongRaw:
      return "LONG RAW";
    case DataType::kRowid:
      return "ROWID";
    case DataType::kClob:
      return "CLOB";
    case DataType::kBlob:
      return "BLOB";
    case DataType::kBfile:
      return "BFILE";
    case DataType::kNull:
      break;
  }
  return "VARCHAR2";
}

int SqlType::InternalCode() const {
  switch (type) {
    case DataType::kVarchar2:
    case DataType::kNull:
      return 1;
    case DataType::kNumber:
      return 2;
    case DataType::kLong:
      return 8;
    case DataType::kRowid:
      return 11;
    case DataType::kDate:
      return 12;
    case DataType::kRaw:
      return 23;
    case DataType::kLongRaw:
      return 24;
    case DataType::kChar:
      return 96;
    case DataType::kClob:
      return 112;
    case DataType::kBlob:
      return 113;
    case DataType::kBfile:
      return 114;
  }
  return 1;
}

int SqlType::DataSize() const {
  switch (type) {
    case DataType::kVarchar2:
    case DataType::kChar:
    case DataType::kRaw:
      return length;
    case DataType::kNumber:
      return 22;
    case DataType::kDate:
      return 7;
    case DataType::kRowid:
      return 10;
    case DataType::kClob:
    case DataType::kBlob:
      return 4000;
    case DataType::kBfile:
      return 530;
    case DataType::kLong:
    case DataType::kLongRaw:
    case DataType::kNull:
      return 0;
  }
  return 0;
}

const char* SqlType::StorageDeclaration() const {
  switch (type) {
    case DataType::kNumber:
    case DataType::kRaw:
    case DataType::kLongRaw:
    case DataType::kBlob:
      return "BLOB";
    default:
      return "TEXT";
  }
}

}  // namespace qm::ocilite
