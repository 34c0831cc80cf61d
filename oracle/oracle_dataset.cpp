#include "oracle/oracle_dataset.h"

#include <algorithm>

#include "oracle/e_database_error.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"

namespace qm {
namespace {

constexpr size_t kRowidLength = 18;

bool SameName(const std::string& a, const std::string& b) {
  return Cp1251Upper(a) == Cp1251Upper(b);
}

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
    FetchAll();
  } catch (...) {
    Close();
    throw;
  }
  active_ = true;
  First();
}

void TOracleDataSet::BuildFields() {
  fields_.clear();
  fieldColumns_.clear();
  mainQuery_.Execute();

  rowidColumn_ = mainQuery_.FieldIndex("ROWID");
  for (int i = 0; rowidColumn_ < 0 && i < mainQuery_.FieldCount(); ++i)
    if (mainQuery_.FieldInternalType(i) == SQLT_RID || mainQuery_.FieldInternalType(i) == SQLT_RDD)
      rowidColumn_ = i;

  const TSessionPreferences& preferences = session_->Preferences();
  for (int column = 0; column < mainQuery_.FieldCount(); ++column) {
    if (column == rowidColumn_) continue;
    const std::string& columnName = mainQuery_.FieldName(column);
    TFieldType kind = ftUnknown;
    int size = 0;
    switch (mainQuery_.FieldType(column)) {
      case SQLT_INT: {
        const int smallLimit =
            preferences.SmallIntPrecision() == 0 ? 4 : preferences.SmallIntPrecision();
        kind = mainQuery_.FieldPrecision(column) > smallLimit ? ftInteger : ftSmallint;
        break;
      }
      case SQLT_FLT:
        kind = ftFloat;
        break;
      case SQLT_STR:
        size = std::max(mainQuery_.FieldSize(column), 1);
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
    std::string name = columnName;
    for (int n = 1; FindField(name) != nullptr; ++n) name = columnName + "_" + std::to_string(n);
    fields_.push_back(std::make_unique<TDataSetField>(*this, FieldCount(), name, kind, size,
                                                      !mainQuery_.FieldOptional(column)));
    fieldColumns_.push_back(column);
  }
}

void TOracleDataSet::FetchAll() {
  records_.clear();
  // Execute left the first row current.
  for (bool first = true;; first = false) {
    if (!first) mainQuery_.Next();
    if (mainQuery_.Eof()) break;
    records_.push_back(ReadRecord());
    records_.back().id = static_cast<int>(records_.size());
  }
}

TOracleDataSet::Record TOracleDataSet::ReadRecord() {
  Record record;
  const bool trim = session_->Preferences().TrimStringFields();
  for (size_t f = 0; f < fields_.size(); ++f) {
    const int column = fieldColumns_[f];
    Value value;
    if (!mainQuery_.FieldIsNull(column)) {
      switch (mainQuery_.FieldType(column)) {
        case SQLT_INT:
          value = mainQuery_.FieldAsInteger(column);
          break;
        case SQLT_FLT:
          value = mainQuery_.FieldAsFloat(column);
          break;
        case SQLT_STR: {
          std::string text = mainQuery_.FieldAsString(column);
          if (trim) text = TrimRight(std::move(text));
          // A text ends at its first zero byte, as the client delivers it.
          text.resize(std::min(text.size(), text.find('\0')));
          if (!(fields_[f]->DataType() == ftMemo && text.empty())) value = std::move(text);
          break;
        }
        case SQLT_LNG:
        case SQLT_LBI:
          value = mainQuery_.LongValue(column);
          break;
        case SQLT_DAT:
          value = mainQuery_.FieldAsDate(column);
          break;
        default:
          Fail("Unexpected datatype: " + fields_[f]->FieldName());
      }
    }
    record.values.push_back(std::move(value));
  }
  if (rowidColumn_ >= 0)
    record.rowid = mainQuery_.FieldAsString(rowidColumn_).substr(0, kRowidLength);
  return record;
}

void TOracleDataSet::Close() {
  records_.clear();
  fields_.clear();
  fieldColumns_.clear();
  rowidColumn_ = -1;
  current_ = -1;
  eof_ = true;
  active_ = false;
}

int TOracleDataSet::RecordCount() const {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  return static_cast<int>(records_.size());
}

void TOracleDataSet::First() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  current_ = records_.empty() ? -1 : 0;
  eof_ = records_.empty();
}

void TOracleDataSet::Next() {
  if (!active_) Fail("Cannot perform this operation on a closed dataset");
  if (current_ + 1 < static_cast<int>(records_.size()))
    ++current_;
  else
    eof_ = true;
}

TDataSetField* TOracleDataSet::FindField(const std::string& name) {
  for (auto& field : fields_)
    if (SameName(field->FieldName(), name)) return field.get();
  return nullptr;
}

TDataSetField& TOracleDataSet::FieldByName(const std::string& name) {
  TDataSetField* field = FindField(name);
  if (field == nullptr) Fail("Field '" + name + "' not found");
  return *field;
}

const TOracleDataSet::Value& TOracleDataSet::FieldValue(int fieldIndex) const {
  static const Value kNull;
  if (current_ < 0) return kNull;
  return records_[static_cast<size_t>(current_)].values.at(static_cast<size_t>(fieldIndex));
}

}  // namespace qm
