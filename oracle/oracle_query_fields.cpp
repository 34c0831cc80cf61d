// TOracleQuery's result set on the release 8 interface: how a select's columns are described,
// which type each is fetched as and into which buffers, the pieces of LONG values and the LOB
// locators, and the field values of the current row.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "oracle/oci_entry_points.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"
#include "platform/number_format.h"
#include "platform/regional_formats.h"

namespace qm {
namespace {

constexpr size_t kMaxColumnName = 30;
constexpr ub4 kFirstLongPiece = 2000;
constexpr ub4 kLargestLongPiece = 32000;

bool IsTextType(ub2 type) {
  return type == 1 || type == SQLT_STR || type == 10 || type == 97;
}

}  // namespace

void TOracleQuery::DescribeColumns() {
  const OciEntryPoints& oci = session_->Entries();
  rowsPerFetch_ = static_cast<ub4>(readBuffer_);
  ReleaseColumns();
  ub4 count = 0;
  if (ErrorCodeOf(oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT,
                                 err_)) != 0) {
    ReleaseColumns();
    RaiseExecuteError();
  }
  for (ub4 position = 1; position <= count; ++position) {
    void* param = nullptr;
    if (ErrorCodeOf(oci.OCIParamGet(stmt_, OCI_HTYPE_STMT, err_, &param, position)) != 0) {
      ReleaseColumns();
      RaiseExecuteError();
    }
    auto column = std::make_unique<TFieldData>();
    ub2 size = 0, type = 0;
    // Clients write the precision in one or two bytes; the cell is zeroed for the short form.
    ub2 precision = 0;
    sb1 scale = 0;
    ub1 isNull = 0;
    OraText* name = nullptr;
    ub4 nameLength = 0;
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &nameLength, OCI_ATTR_NAME, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &isNull, nullptr, OCI_ATTR_IS_NULL, err2_);
    column->declaredSize = size;
    column->internalType = type;
    if (name != nullptr)
      column->name.assign(reinterpret_cast<const char*>(name),
                          std::min<size_t>(nameLength, kMaxColumnName));
    column->precision = precision;
    column->scale = scale;
    column->nullable = isNull;

    ChooseFetchType(*column, 0);
    columns_.push_back(std::move(column));
  }
}

void TOracleQuery::RequireColumnFeature(const std::string& what) {
  try {
    RequireFeature(session_, what);
  } catch (...) {
    ReleaseColumns();
    prepared_.clear();
    throw;
  }
}

void TOracleQuery::ChooseFetchType(TFieldData& column, sb4 longBuffer) {
  switch (column.internalType) {
    case SQLT_NUM: {
      const TNumberColumnType number =
          session_->NumberColumnType(column.precision, column.scale, stringFieldsOnly_);
      column.fetchType = number.type;
      column.bufferSize = number.size;
      break;
    }
    case SQLT_LNG:
    case SQLT_LBI:
      column.fetchType = column.internalType;
      column.bufferSize = longBuffer;
      rowsPerFetch_ = 1;  // the value is read piecewise for the current row only
      break;
    case SQLT_RID:
    case SQLT_RDD:
      column.fetchType = SQLT_STR;
      column.bufferSize = std::max<sb4>(column.declaredSize + 1, 19);
      break;
    case SQLT_DAT:
      column.fetchType = stringFieldsOnly_ ? SQLT_STR : SQLT_DAT;
      column.bufferSize = stringFieldsOnly_ ? session_->DateFormatLength() + 1 : 7;
      break;
    case SQLT_BIN:
      column.fetchType = SQLT_STR;
      column.bufferSize = column.declaredSize * 2 + 1;
      break;
    case SQLT_OSL:
      column.fetchType = SQLT_STR;
      column.bufferSize = 255;
      break;
    case 108:
    case 110:
    case 116: {
      const int type = column.internalType;
      RequireColumnFeature(type == 108   ? "A query with objects"
                           : type == 110 ? "A query with references"
                                         : "A query with sub-queries");
      // Described, so that a dataset can pass over them, but never defined or fetched: their
      // values need the object layer, which nothing here uses.
      column.fetchType = static_cast<ub2>(type);
      column.bufferSize = 4;
      break;
    }
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILE:
      RequireColumnFeature("A query with LOB's");
      column.fetchType = column.internalType;
      column.bufferSize = sizeof(OCILobLocator*);  // one locator per row
      break;
    case 187:
    case 188:
    case 232:
      column.fetchType = SQLT_STR;
      column.bufferSize = session_->CharacterWidth() * 50;
      break;
    default:
      column.fetchType = SQLT_STR;
      column.bufferSize = column.declaredSize + 1;
      break;
  }
}

void TOracleQuery::DefineColumns() {
  const OciEntryPoints& oci = session_->Entries();
  for (size_t i = 0; i < columns_.size(); ++i) {
    TFieldData& column = *columns_[i];
    column.rows = rowsPerFetch_;
    // A LOB column's buffer is its array of locators.
    const bool buffered = column.bufferSize > 0 && !column.IsLOB();
    const size_t bytes = buffered ? static_cast<size_t>(column.bufferSize) * column.rows : 0;
    // A kept column's buffer is not cleared again: each fetch writes whole values of these types
    // (texts with their closing zero), and only fetched rows are read.
    const bool selfContained = column.fetchType == SQLT_STR || column.fetchType == SQLT_INT ||
                               column.fetchType == SQLT_FLT || column.fetchType == SQLT_DAT;
    if (!selfContained || column.values.size() != bytes) column.values.assign(bytes, 0);
    column.indicators.assign(column.rows, 0);
    column.lengths.assign(column.rows, 0);
    const ub4 position = static_cast<ub4>(i + 1);
    if (column.fetchType == 108 || column.fetchType == 110 || column.fetchType == 116) continue;
    if (!OCI8()) {
      DefineColumnOCI7(column, position);
      continue;
    }
    OCIDefine* define = nullptr;
    const ub2 defineType = column.internalType == SQLT_OSL ? SQLT_OSL : column.fetchType;
    sword status;
    if (column.IsLOB()) {
      AllocateLocators(column);
      status = oci.OCIDefineByPos(stmt_, &define, err_, position, column.locators.data(),
                                  column.bufferSize, defineType, column.indicators.data(),
                                  column.lengths.data(), nullptr, OCI_DEFAULT);
    } else if (column.bufferSize <= 0 && column.IsLong()) {
      status = oci.OCIDefineByPos(stmt_, &define, err_, position, nullptr, 2147483647, defineType,
                                  column.indicators.data(), nullptr, nullptr, OCI_DYNAMIC_FETCH);
      if (ErrorCodeOf(status) == 0)
        status = oci.OCIDefineDynamic(define, err_, &column, &LongPieceCallback);
    } else {
      status = oci.OCIDefineByPos(stmt_, &define, err_, position, column.values.data(),
                                  column.bufferSize, defineType, column.indicators.data(),
                                  column.lengths.data(), nullptr, OCI_DEFAULT);
    }
    if (ErrorCodeOf(status) != 0) session_->RaiseOracleError(err_);
  }
  described_ = true;
}

void TOracleQuery::AllocateLocators(TFieldData& column) {
  const OciEntryPoints& oci = session_->Entries();
  column.locators.assign(column.rows, nullptr);
  for (OCILobLocator*& locator : column.locators) {
    void* descriptor = nullptr;
    const sword status = oci.OCIDescriptorAlloc(session_->EnvHandle(), &descriptor,
                                                column.LocatorKind(), 0, nullptr);
    if (status != OCI_SUCCESS)
      throw std::runtime_error("The client could not allocate the statement's LOB locators");
    locator = static_cast<OCILobLocator*>(descriptor);
  }
  column.lob = std::make_unique<TLOBLocator>(*session_, err_, column.fetchType);
}

void TOracleQuery::PrepareLOBColumns() {
  if (eof_) return;
  for (const auto& column : columns_)
    if (column->lob != nullptr)
      column->lob->SetLocator(column->indicators[currentRow_] == -1
                                  ? nullptr
                                  : column->locators[currentRow_]);
}

sb4 TOracleQuery::LongPieceCallback(void* context, OCIDefine*, ub4 iteration, void** buffer,
                                    ub4** length, ub1*, void** indicator, ub2** returnCode) {
  auto& column = *static_cast<TFieldData*>(context);
  ub4 size = kFirstLongPiece;
  if (!column.longPieces.empty()) {
    size = column.longPieces.back()->bufferSize;
    if (size < kLargestLongPiece) size *= 2;
  }
  column.longPieces.push_back(std::make_unique<TLongPiece>(size));
  TLongPiece& piece = *column.longPieces.back();
  *buffer = piece.buffer.data();
  *length = &piece.length;
  *indicator = &column.indicators[std::min<size_t>(iteration, column.indicators.size() - 1)];
  *returnCode = nullptr;
  return OCI_CONTINUE;
}

void TOracleQuery::ClearLongPieces() {
  for (auto& column : columns_) column->longPieces.clear();
}

// ---- Field access -------------------------------------------------------------------------------

const TFieldData& TOracleQuery::Column(int index) const {
  if (index < 0 || index >= FieldCount())
    throw std::runtime_error("Field " + std::to_string(index) + " does not exist");
  return *columns_[static_cast<size_t>(index)];
}

const TFieldData& TOracleQuery::ValueColumn(int index) const {
  const TFieldData& column = Column(index);
  if (eof_) throw std::runtime_error("You cannot access field data beyond Eof");
  return column;
}

const std::string& TOracleQuery::FieldName(int index) const {
  return Column(index).name;
}

int TOracleQuery::FieldIndex(const std::string& name) const {
  // Names are code page 1251 whatever the process locale, so Cyrillic compares as Latin does.
  for (size_t i = 0; i < columns_.size(); ++i)
    if (Cp1251EqualNoCase(columns_[i]->name, name)) return static_cast<int>(i);
  return -1;
}

int TOracleQuery::FieldType(int index) const {
  return Column(index).fetchType;
}
int TOracleQuery::FieldInternalType(int index) const {
  return Column(index).internalType;
}
int TOracleQuery::FieldSize(int index) const {
  const TFieldData& column = Column(index);
  return column.fetchType == SQLT_STR ? column.bufferSize - 1 : 0;
}
int TOracleQuery::FieldPrecision(int index) const {
  return Column(index).precision;
}
int TOracleQuery::FieldScale(int index) const {
  return Column(index).scale;
}
bool TOracleQuery::FieldOptional(int index) const {
  return Column(index).nullable != 0;
}

bool TOracleQuery::FieldIsNull(int index) const {
  return ValueColumn(index).indicators[currentRow_] == -1;
}

TVariableValue TOracleQuery::Field(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return {};
  switch (column.fetchType) {
    case SQLT_INT:
      return FieldAsInteger(index);
    case SQLT_FLT:
    case SQLT_DAT:
      return FieldAsFloat(index);
    case SQLT_LNG:
    case SQLT_LBI:
      return LongValue(index);
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILE: {
      std::string content = column.lob->AsString();
      if (content.empty()) return {};
      return content;
    }
    default:
      if (IsTextType(column.fetchType)) return FieldAsString(index);
      return {};
  }
}

TVariableValue TOracleQuery::Field(const std::string& name) const {
  const int index = FieldIndex(name);
  if (index < 0) throw std::runtime_error("Field " + name + " does not exist");
  return Field(index);
}

std::string TOracleQuery::AdjustLineBreaks(std::string text) const {
  if (session_ == nullptr || !session_->Preferences().ConvertCRLF()) return text;
  const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  // Most values hold no line break at all and go back as they came.
  std::size_t i = std::find_if(text.begin(), text.end(), isBreak) - text.begin();
  if (i == text.size()) return text;
  std::string result;
  result.reserve(text.size() + 16);
  result.append(text, 0, i);
  while (i < text.size()) {
    const char c = text[i++];
    if (!isBreak(c)) {
      result += c;
      continue;
    }
    result += "\r\n";
    if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
  }
  return result;
}

std::string TOracleQuery::FieldAsString(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return "";
  const char* value = column.Value(currentRow_);
  if (column.fetchType == SQLT_INT) {
    sb4 number;
    std::memcpy(&number, value, sizeof number);
    return std::to_string(number);
  }
  if (column.fetchType == SQLT_FLT)
    return FormatFloatGeneral(FieldAsFloat(index), CurrentRegionalFormats().decimalSeparator);
  if (IsTextType(column.fetchType))
    return AdjustLineBreaks(std::string(value, strnlen(value, column.bufferSize)));
  if (column.fetchType == SQLT_DAT) return FormatDateTimeValue(FieldAsDate(index));
  throw std::runtime_error("Cannot convert field " + column.name + " to a String");
}

int TOracleQuery::FieldAsInteger(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return 0;
  switch (column.fetchType) {
    case SQLT_INT: {
      sb4 number;
      std::memcpy(&number, column.Value(currentRow_), sizeof number);
      return number;
    }
    case SQLT_FLT:
    case SQLT_DAT:
      return static_cast<int>(std::trunc(FieldAsFloat(index)));
    case SQLT_STR:
      return StrToInt(FieldAsString(index));
    default:
      throw std::runtime_error("Cannot convert field " + column.name + " to an Integer");
  }
}

double TOracleQuery::FieldAsFloat(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return 0;
  const char* value = column.Value(currentRow_);
  switch (column.fetchType) {
    case SQLT_INT:
      return FieldAsInteger(index);
    case SQLT_FLT: {
      double number;
      std::memcpy(&number, value, sizeof number);
      return number;
    }
    case SQLT_DAT:
      return DecodeOracleDate(reinterpret_cast<const unsigned char*>(value));
    case SQLT_STR:
      return StrToFloat(FieldAsString(index), CurrentRegionalFormats().decimalSeparator);
    default:
      throw std::runtime_error("Cannot convert field " + column.name + " to a Float");
  }
}

TDateTime TOracleQuery::FieldAsDate(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return 0;
  switch (column.fetchType) {
    case SQLT_INT:
    case SQLT_FLT:
    case SQLT_DAT:
      return FieldAsFloat(index);
    case SQLT_STR: {
      // Text in the regional short date format, with or without the long time.
      const std::string text = FieldAsString(index);
      const RegionalFormats& formats = CurrentRegionalFormats();
      for (const std::string& format :
           {formats.shortDate + " " + formats.longTime, formats.shortDate}) {
        std::tm parts{};
        const char* end = strptime(text.c_str(), format.c_str(), &parts);
        if (end != nullptr && *end == '\0')
          return PartsToDateTime({parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                                  parts.tm_hour, parts.tm_min, parts.tm_sec});
      }
      throw std::runtime_error("'" + text + "' is not a valid date");
    }
    default:
      throw std::runtime_error("Cannot convert field " + column.name + " to a Date");
  }
}

const TLOBLocator& TOracleQuery::LOBField(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (!column.IsLOB()) throw std::runtime_error("Field " + column.name + " is not a LOB");
  return *column.lob;
}

std::string TOracleQuery::LongValue(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (!column.IsLong())
    throw std::runtime_error("Field " + std::to_string(index) + " is not a Long");
  if (column.indicators[currentRow_] == -1) return "";
  std::string value;
  if (OCI8()) {
    for (const auto& piece : column.longPieces)
      value.append(piece->buffer.data(), std::min(piece->length, piece->bufferSize));
  } else {
    // Reads grow like the pieces of the release 8 interface, until one comes back short.
    std::vector<char> part;
    for (int ask = static_cast<int>(kFirstLongPiece);;) {
      part.resize(static_cast<size_t>(ask));
      const int got = ReadLongPiece(index, part.data(), ask, static_cast<int>(value.size()));
      value.append(part.data(), static_cast<size_t>(got));
      if (got < ask) break;
      if (ask < static_cast<int>(kLargestLongPiece)) ask *= 2;
    }
  }
  return column.fetchType == SQLT_LNG ? AdjustLineBreaks(std::move(value)) : value;
}

int TOracleQuery::ReadLongPiece(int index, char* destination, int length, int offset) const {
  const TFieldData& column = Column(index);
  if (!column.IsLong())
    throw std::runtime_error("Field " + std::to_string(index) + " is not a Long");
  if (!OCI8()) return ReadLongPieceOCI7(column, index, destination, length, offset);
  int copied = 0;
  long start = 0;
  for (const auto& piece : column.longPieces) {
    const long pieceLength = std::min(piece->length, piece->bufferSize);
    const long from = std::max<long>(offset + copied - start, 0);
    if (from < pieceLength && copied < length) {
      const long count = std::min<long>(pieceLength - from, length - copied);
      std::memcpy(destination + copied, piece->buffer.data() + from, static_cast<size_t>(count));
      copied += static_cast<int>(count);
    }
    start += pieceLength;
  }
  return copied;
}

}  // namespace qm
