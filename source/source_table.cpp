#include "source/source_table.h"

#include <climits>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "source/engine_error.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_reader.h"
#include "source/internal/table_type.h"
#include "source/internal/value_formatter.h"

namespace qm {
namespace {

constexpr char kOpenDataset[] = "Cannot perform this operation on an open dataset";
constexpr char kClosedDataset[] = "Cannot perform this operation on a closed dataset";

}  // namespace

SourceTable::SourceTable(std::string name) : name_(std::move(name)) {}

SourceTable::~SourceTable() = default;

void SourceTable::CheckClosedForChange(const std::string& current, const std::string& value) const {
  if (Active() && current != value) throw EDatabaseError(kOpenDataset, name_);
}

void SourceTable::SetDatabaseName(const std::string& value) {
  CheckClosedForChange(databaseName_, value);
  databaseName_ = value;
}

void SourceTable::SetTableName(const std::string& value) {
  CheckClosedForChange(tableName_, value);
  tableName_ = value;
}

void SourceTable::SetCodePage(const std::string& value) {
  CheckClosedForChange(codePage_, value);
  codePage_ = value;
}

void SourceTable::SetIncludeDeleted(bool value) {
  if (Active() && value != includeDeleted_) throw EDatabaseError(kOpenDataset, name_);
  includeDeleted_ = value;
}

std::string SourceTable::TablePath() const {
  if (databaseName_.empty()) return tableName_;
  const char last = databaseName_.back();
  return databaseName_ + (last == '/' || last == '\\' ? "" : "/") + tableName_;
}

void SourceTable::Open() {
  if (Active()) return;
  report_ = {};
  std::error_code error;
  if (!databaseName_.empty() && !std::filesystem::is_directory(databaseName_, error))
    throw EDBEngineError(databaseName_ + ": directory not found", name_);
  if (tableName_.empty()) throw EDatabaseError("Missing TableName property", name_);

  const std::string path = TablePath();
  const std::string driver = TableDriverFor(path);
  if (driver != kDriverDbase && driver != kDriverFoxPro)
    throw EDBEngineError(path + ": the " + driver +
                             " driver is not supported; only dBASE and FoxPro tables can be read",
                         name_);
  try {
    reader_ = std::make_unique<DbfReader>(
        path, DbfReaderOptions{codePage_, driver == kDriverFoxPro, includeDeleted_});
  } catch (const DbfError& e) {
    throw EDBEngineError(e.what(), name_);
  }
  if (reader_->RecordCount() > static_cast<std::uint32_t>(INT_MAX)) {
    reader_.reset();
    throw EDBEngineError(path + ": too many records", name_);
  }
  driver_ = driver;
  codePageInUse_ = reader_->CodePage();
  report_.headerRecords = reader_->HeaderRecordCount();
  report_.storedRecords = reader_->StoredRecordCount();
  report_.deletedRecords = reader_->DeletedCount();
  formatter_ = valueTexts_ == ValueTexts::kTransfer
                   ? std::make_unique<ValueFormatter>(TransferFormats(), true)
                   : std::make_unique<ValueFormatter>(CurrentRegionalFormats());
  BuildFields();
  try {
    MoveTo(0);
  } catch (...) {
    Close();
    throw;
  }
}

void SourceTable::BuildFields() {
  // A repeated name gets the first free suffix, free of every name the file has, so that a later
  // column keeps its own name. Names compare as FieldByName does, regardless of case.
  std::set<std::string> taken;
  std::vector<std::pair<const DbfColumn*, std::string>> usable;
  for (const DbfColumn& column : reader_->Columns()) {
    if (column.kind == ftUnknown) continue;
    usable.emplace_back(&column, reader_->Decoder().Decode(column.name));
    taken.insert(Cp1251Upper(usable.back().second));
  }
  std::set<std::string> assigned;
  for (auto& [column, name] : usable) {
    std::string unique = name;
    for (int k = 1; assigned.count(Cp1251Upper(unique)) ||
                    (unique != name && taken.count(Cp1251Upper(unique)));
         ++k)
      unique = name + "_" + std::to_string(k);
    assigned.insert(Cp1251Upper(unique));
    fields_.push_back(std::make_unique<SourceField>(*this, *column, std::move(unique)));
  }
}

void SourceTable::Close() {
  fields_.clear();
  formatter_.reset();
  reader_.reset();
  record_ = nullptr;
  current_ = 0;
  eof_ = true;
}

void SourceTable::SetActive(bool value) {
  if (value) {
    Open();
  } else {
    Close();
  }
}

SourceField& SourceTable::Field(int i) const {
  if (i < 0 || i >= FieldCount())
    throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
  return *fields_[static_cast<std::size_t>(i)];
}

SourceField* SourceTable::FindField(std::string_view name) const {
  for (const auto& field : fields_)
    if (Cp1251EqualNoCase(field->FieldName(), name)) return field.get();
  return nullptr;
}

SourceField& SourceTable::FieldByName(std::string_view name) const {
  if (SourceField* field = FindField(name)) return *field;
  throw EDatabaseError("Field '" + std::string(name) + "' not found", name_);
}

void SourceTable::CheckOpen() const {
  if (!Active()) throw EDatabaseError(kClosedDataset, name_);
}

int SourceTable::RecordCount() const {
  CheckOpen();
  return static_cast<int>(reader_->RecordCount());
}

void SourceTable::MoveTo(std::uint32_t n) {
  if (n >= reader_->RecordCount()) {
    record_ = nullptr;
    eof_ = true;
    return;
  }
  try {
    record_ = reader_->Record(n);
  } catch (const DbfError& e) {
    throw EDBEngineError(e.what(), name_);
  }
  current_ = n;
  eof_ = false;
}

void SourceTable::First() {
  CheckOpen();
  MoveTo(0);
}

void SourceTable::Next() {
  CheckOpen();
  if (!record_ || current_ + 1 >= reader_->RecordCount()) {
    eof_ = true;
    return;
  }
  MoveTo(current_ + 1);
}

int SourceTable::RecNo() const {
  return record_ ? static_cast<int>(current_) + 1 : 0;
}

int SourceTable::FilePosition() const {
  return record_ ? static_cast<int>(reader_->FilePosition(current_)) : 0;
}

void SourceTable::SetRecNo(int n) {
  CheckOpen();
  const int count = static_cast<int>(reader_->RecordCount());
  if (count == 0) return;
  MoveTo(static_cast<std::uint32_t>(n < 1 ? 0 : n > count ? count - 1 : n - 1));
}

// The import reads each value once for the existence query and once for the insert, and the
// same field may feed several columns: a value's loss is counted the first time only.
void SourceTable::CountLost(const DbfColumn& column, std::size_t lost) {
  const auto index = static_cast<std::size_t>(&column - reader_->Columns().data());
  if (report_.lostCharacters == 0 || current_ > lossRecord_) {
    lossRecord_ = current_;
    lossColumns_.assign(reader_->Columns().size(), false);
  } else if (current_ < lossRecord_ || lossColumns_[index]) {
    return;
  }
  lossColumns_[index] = true;
  if (report_.lostCharacters == 0) {
    report_.firstLossRecord = reader_->FilePosition(current_);
    report_.firstLossField = reader_->Decoder().Decode(column.name);
  }
  report_.lostCharacters += lost;
}

}  // namespace qm
