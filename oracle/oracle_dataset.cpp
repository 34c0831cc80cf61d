#include "oracle/oracle_dataset.h"

#include <algorithm>

#include "oracle/internal/count_query_text.h"
#include "oracle/internal/dataset_record.h"
#include "oracle/internal/variable_scanner.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"
#include "platform/database_error.h"
#include "platform/dialogs.h"

namespace qm {
namespace {

namespace rec = dataset_record;

std::string TrimRight(std::string text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  return text;
}

}  // namespace

TOracleDataSet::TOracleDataSet() = default;

TOracleDataSet::~TOracleDataSet() {
  Close();
  if (session_ != nullptr) session_->DetachDataSet(this);
}

void TOracleDataSet::SetSession(TOracleSession* session) {
  if (session == session_) return;
  if (session_ != nullptr) session_->DetachDataSet(this);
  session_ = session;
  mainQuery_.SetSession(session);
  if (session_ != nullptr) session_->AttachDataSet(this);
}

void TOracleDataSet::Fail(const std::string& message) const {
  throw EDatabaseError(name_.empty() ? message : name_ + ": " + message);
}

void TOracleDataSet::Open() {
  if (active_) return;
  current_ = -1;
  try {
    BuildFields();
    LayOutRecord();
    records_->Clear();
    largeValues_.clear();
    firstRow_ = true;  // Execute left the first row current
    allFetched_ = false;
    if (queryAllRecords_)
      while (FetchRecord()) {
      }
  } catch (...) {
    Close();
    throw;
  }
  active_ = true;
  countCache_.reset();
  First();
  if (AfterQuery) AfterQuery(*this);
}

void TOracleDataSet::BuildFields() {
  KeepFormerFields();
  fieldColumns_.clear();
  if (BeforeQuery) BeforeQuery(*this);
  PrepareCursorQuery();
  mainQuery_.Execute();
  TOracleQuery& rows = Rows();

  rowidColumn_ = rows.FieldIndex("ROWID");
  for (int i = 0; rowidColumn_ < 0 && i < rows.FieldCount(); ++i)
    if (rows.FieldInternalType(i) == SQLT_RID || rows.FieldInternalType(i) == SQLT_RDD)
      rowidColumn_ = i;

  const TSessionPreferences& preferences = session_->Preferences();
  bool allFormer = true;
  for (int column = 0; column < rows.FieldCount(); ++column) {
    if (column == rowidColumn_) continue;
    const std::string& columnName = rows.FieldName(column);
    TFieldType kind = ftUnknown;
    int size = 0;
    switch (rows.FieldType(column)) {
      case SQLT_INT: {
        const int smallLimit =
            preferences.SmallIntPrecision() == 0 ? 4 : preferences.SmallIntPrecision();
        kind = rows.FieldPrecision(column) > smallLimit ? ftInteger : ftSmallint;
        break;
      }
      case SQLT_FLT:
        kind = ftFloat;
        break;
      case SQLT_STR:
        size = std::max(rows.FieldSize(column), 1);
        kind = preferences.MaxStringFieldSize() != 0 && preferences.MaxStringFieldSize() < size
                   ? ftMemo
                   : ftString;
        if (kind == ftMemo) size = 0;
        break;
      case SQLT_LNG:
        kind = ftMemo;
        break;
      case SQLT_DAT:
        kind = ftDateTime;
        break;
      case SQLT_LBI:
        kind = ftBlob;
        break;
      case SQLT_CLOB:
        kind = ftOraClob;
        break;
      case SQLT_BLOB:
      case SQLT_BFILE:
        kind = ftOraBlob;
        break;
      case 108:
        ShowMessage(columnName + ": Objects will be supported in version 3.5", "");
        break;
      case 110:
        ShowMessage(columnName + ": References will be supported in version 3.5", "");
        break;
      case 116:
        ShowMessage(columnName + ": Sub-queries not supported in dataset, use TOracleQuery instead",
                    "");
        break;
      default:
        break;
    }
    if (kind == ftUnknown) continue;
    const std::size_t at = fields_.size();
    const TDataSetField* former = at < formerFields_.size() ? formerFields_[at].get() : nullptr;
    // While every field so far is one of the last open, a name that field had as it stood is
    // still free.
    const bool formerName = allFormer && former && former->FieldName() == columnName;
    std::string deduplicated;
    if (!formerName) {
      deduplicated = columnName;
      for (int n = 1; FindField(deduplicated) != nullptr; ++n)
        deduplicated = columnName + "_" + std::to_string(n);
    }
    const std::string& name = formerName ? columnName : deduplicated;
    const bool required = !rows.FieldOptional(column);
    if (former && (formerName || former->FieldName() == name) && former->DataType() == kind &&
        former->Size() == size && former->Required() == required) {
      fields_.push_back(std::move(formerFields_[at]));
    } else {
      allFormer = false;
      fields_.push_back(std::make_unique<TDataSetField>(*this, FieldCount(), name, kind, size,
                                                        required));
    }
    fieldColumns_.push_back(column);
  }
}

void TOracleDataSet::KeepFormerFields() {
  // Swapped rather than moved, so that the next open fills a list that already has its room.
  if (fields_.empty()) return;
  formerFields_.swap(fields_);
  fields_.clear();
}

void TOracleDataSet::PrepareCursorQuery() {
  int cursorVariable = -1;
  for (int i = 0; cursorVariable < 0 && i < mainQuery_.VariableCount(); ++i)
    if (mainQuery_.VariableType(i) == kVariableCursor) cursorVariable = i;
  cursorRows_ = cursorVariable >= 0;
  if (!cursorRows_) return;
  if (!cursorQuery_) cursorQuery_ = std::make_unique<TOracleQuery>();
  cursorQuery_->SetSession(session_);
  cursorQuery_->SetReadBuffer(mainQuery_.ReadBuffer());
  cursorQuery_->SetStringFieldsOnly(mainQuery_.StringFieldsOnly());
  mainQuery_.SetComplexVariable(mainQuery_.VariableName(cursorVariable), *cursorQuery_);
}

TOracleQuery& TOracleDataSet::Rows() {
  return cursorRows_ ? *cursorQuery_ : mainQuery_;
}

void TOracleDataSet::LayOutRecord() {
  int offset = rec::kHeaderSize;
  fieldOffsets_.clear();
  largeSlots_.clear();
  largeFieldCount_ = 0;
  for (const auto& field : fields_) {
    fieldOffsets_.push_back(offset);
    offset += 1 + rec::DataSize(field->DataType(), field->Size());
    largeSlots_.push_back(rec::IsLargeValue(field->DataType()) ? largeFieldCount_++ : -1);
  }
  records_ = std::make_unique<TRecordDataList>(offset, mainQuery_.ReadBuffer() + 1);
}

bool TOracleDataSet::FetchRecord() {
  if (allFetched_) return false;
  if (firstRow_)
    firstRow_ = false;
  else
    Rows().Next();
  if (Rows().Eof()) {
    allFetched_ = true;
    return false;
  }
  std::byte* block = records_->Append();
  ReadRecord(block);
  rec::WriteInt32(block + rec::kIdOffset, records_->Count());
  return true;
}

void TOracleDataSet::ReadRecord(std::byte* block) {
  TOracleQuery& rows = Rows();
  const bool trim = session_->Preferences().TrimStringFields();
  rec::WriteInt32(block + rec::kDataSizeOffset, records_->RecordSize() - rec::kHeaderSize);
  std::vector<std::string> large(static_cast<std::size_t>(largeFieldCount_));
  for (size_t f = 0; f < fields_.size(); ++f) {
    const int column = fieldColumns_[f];
    std::byte* null = block + fieldOffsets_[f];
    std::byte* data = null + 1;
    bool isNull = rows.FieldIsNull(column);
    if (!isNull) {
      switch (rows.FieldType(column)) {
        case SQLT_INT:
          if (fields_[f]->DataType() == ftSmallint)
            rec::WriteInt16(data, static_cast<std::int16_t>(rows.FieldAsInteger(column)));
          else
            rec::WriteInt32(data, rows.FieldAsInteger(column));
          break;
        case SQLT_FLT:
          rec::WriteDouble(data, rows.FieldAsFloat(column));
          break;
        case SQLT_STR: {
          std::string text = rows.FieldAsString(column);
          if (trim) text = TrimRight(std::move(text));
          // A text ends at its first zero byte, as the client delivers it.
          text.resize(std::min(text.size(), text.find('\0')));
          if (fields_[f]->DataType() == ftMemo) {
            isNull = text.empty();
            large[static_cast<size_t>(largeSlots_[f])] = std::move(text);
          } else {
            rec::WriteText(data, fields_[f]->Size() + 1, text);
          }
          break;
        }
        case SQLT_LNG:
        case SQLT_LBI:
          large[static_cast<size_t>(largeSlots_[f])] = rows.LongValue(column);
          break;
        case SQLT_CLOB:
        case SQLT_BLOB:
        case SQLT_BFILE: {
          // The whole content; an empty LOB reads as NULL.
          TVariableValue value = rows.Field(column);
          if (auto* content = std::get_if<std::string>(&value))
            large[static_cast<size_t>(largeSlots_[f])] = std::move(*content);
          else
            isNull = true;
          break;
        }
        case SQLT_DAT:
          rec::WriteDouble(data, rec::DateTimeToFieldValue(rows.FieldAsDate(column)));
          break;
        default:
          Fail("Unexpected datatype: " + fields_[f]->FieldName());
      }
    }
    *null = std::byte{isNull ? std::uint8_t{1} : std::uint8_t{0}};
  }
  if (largeFieldCount_ > 0) {
    largeValues_.push_back(std::move(large));
    rec::WriteInt32(block + rec::kLargeValuesOffset, static_cast<std::int32_t>(largeValues_.size()));
  }
  if (rowidColumn_ >= 0)
    rec::WriteText(block + rec::kRowidOffset, rec::kRowidLength + 1,
                   rows.FieldAsString(rowidColumn_));
}

void TOracleDataSet::Close() {
  records_.reset();
  largeValues_.clear();
  KeepFormerFields();
  fieldColumns_.clear();
  fieldOffsets_.clear();
  largeSlots_.clear();
  rowidColumn_ = -1;
  current_ = -1;
  eof_ = true;
  active_ = false;
  firstRow_ = allFetched_ = false;
  countCache_.reset();
  countQuery_.reset();
  cursorRows_ = false;
  if (cursorQuery_) {
    // Kept rather than freed, since MainQuery's cursor variable still names it; its result set
    // is given back as a freed statement would give it back, quietly.
    try {
      cursorQuery_->Close();
    } catch (const std::exception&) {
    }
  }
}

int TOracleDataSet::RecordCount() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  if (!countAllRecords_) return records_->Count();
  if (!countCache_) countCache_ = CountQueryHits();
  return *countCache_;
}

int TOracleDataSet::CountQueryHits() {
  for (int i = 0; i < mainQuery_.VariableCount(); ++i)
    if (mainQuery_.VariableType(i) == kVariableCursor)
      Fail("Cannot count query hits for cursor dataset");
  const std::string select = SelectForCounting(mainQuery_.SQL().Text());
  if (!countQuery_) countQuery_ = std::make_unique<TOracleQuery>();
  countQuery_->SetSession(session_);
  countQuery_->Clear();
  countQuery_->SQL().Add("select count(*) from (");
  countQuery_->SQL().Add(select);
  countQuery_->SQL().Add(")");
  for (const TScannedVariable& found : ScanVariables(select, false)) {
    const int index = mainQuery_.VariableIndex(found.name);
    if (index < 0) continue;
    countQuery_->DeclareVariable(found.name, mainQuery_.VariableType(index));
    countQuery_->SetVariable(found.name, mainQuery_.GetVariable(found.name));
  }
  countQuery_->Execute();
  return countQuery_->FieldAsInteger(0);
}

void TOracleDataSet::First() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  if (records_->Count() == 0) FetchRecord();
  current_ = records_->Count() == 0 ? -1 : 0;
  eof_ = records_->Count() == 0;
}

void TOracleDataSet::Next() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  if (current_ + 1 < records_->Count() || FetchRecord())
    ++current_;
  else
    eof_ = true;
}

void TOracleDataSet::Last() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  while (FetchRecord()) {
  }
  current_ = records_->Count() - 1;
  eof_ = true;
}

const std::byte* TOracleDataSet::Resync() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  if (current_ < 0 && FetchRecord()) current_ = 0;
  if (current_ < 0) Fail("No Records");
  return (*records_)[current_];
}

TDataSetField* TOracleDataSet::FindField(const std::string& name) {
  for (auto& field : fields_)
    if (Cp1251EqualNoCase(field->FieldName(), name)) return field.get();
  return nullptr;
}

TDataSetField& TOracleDataSet::FieldByName(const std::string& name) {
  TDataSetField* field = FindField(name);
  if (field == nullptr) Fail("Field '" + name + "' not found");
  return *field;
}

const std::byte* TOracleDataSet::CurrentRecord() const {
  return current_ < 0 ? nullptr : (*records_)[current_];
}

TOracleDataSet::Value TOracleDataSet::FieldValue(int fieldIndex) const {
  const std::byte* block = CurrentRecord();
  const size_t f = static_cast<size_t>(fieldIndex);
  if (block == nullptr || block[fieldOffsets_.at(f)] != std::byte{0}) return {};
  const std::byte* data = block + fieldOffsets_[f] + 1;
  switch (fields_[f]->DataType()) {
    case ftSmallint:
      return rec::ReadInt16(data);
    case ftInteger:
      return rec::ReadInt32(data);
    case ftFloat:
      return rec::ReadDouble(data);
    case ftDateTime:
      return rec::FieldValueToDateTime(rec::ReadDouble(data));
    case ftString:
      return std::string(rec::ReadText(data, fields_[f]->Size() + 1));
    default: {
      const std::int32_t list = rec::ReadInt32(block + rec::kLargeValuesOffset);
      return largeValues_.at(static_cast<size_t>(list - 1)).at(static_cast<size_t>(largeSlots_[f]));
    }
  }
}

}  // namespace qm
