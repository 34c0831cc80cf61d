#pragma once
// The source table ("dbf"): the one dBASE table the import reads, the field pick lists, table
// creation copies and the preview shows. It is set up with a folder and a file name while closed,
// opened by each operation that needs it and closed again afterwards.
//
// Failures are EDatabaseError (usage) or EDBEngineError (the file), both with the component's
// name in front: "dbf: Missing TableName property".

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "source/code_page_choice.h"
#include "source/source_field.h"

namespace qm {

class DbfReader;
class ValueFormatter;
struct DbfColumn;

// What reading the table found that its values cannot show.
struct SourceReadReport {
  // The record count the header gives and the whole records the file holds (deleted ones
  // included): fewer when the file is cut short or its data ends early. Only the records it
  // holds are read.
  std::uint32_t headerRecords = 0;
  std::uint32_t storedRecords = 0;
  // Of the stored records, those carrying the deletion mark (visited or not).
  std::uint32_t deletedRecords = 0;
  // Characters of the values read that code page 1251 has no equivalent for (or that are no
  // character of the table's code page), each of which became '?'. A value counts once however
  // often it is read, as long as the records are read in a forward walk, as the import does.
  std::uint64_t lostCharacters = 0;
  // Where the first of them was met: the record's position in the file (1-based, deleted
  // records counted) and the field's name.
  std::uint32_t firstLossRecord = 0;
  std::string firstLossField;

  bool Short() const { return storedRecords < headerRecords; }
};

class SourceTable {
 public:
  explicit SourceTable(std::string name = "dbf");
  ~SourceTable();
  SourceTable(const SourceTable&) = delete;
  SourceTable& operator=(const SourceTable&) = delete;

  // The component's name, put in front of every message.
  const std::string& Name() const { return name_; }

  // The folder of the file, without a trailing separator; empty means the current directory.
  const std::string& DatabaseName() const { return databaseName_; }
  // The file name with its extension.
  const std::string& TableName() const { return tableName_; }
  // Setting the value already there does nothing; setting another one while the table is open
  // throws EDatabaseError "Cannot perform this operation on an open dataset".
  void SetDatabaseName(const std::string& value);
  void SetTableName(const std::string& value);
  // Forces the code page of the table's text (a name as CodePageName takes it: "866", "KOI8-R");
  // empty, the default, lets the file say (a .cpg beside it, else its language driver, else code
  // page 1251). Same rules as above.
  const std::string& CodePage() const { return codePage_; }
  void SetCodePage(const std::string& value);

  // Whether records carrying the deletion mark are visited too, from the next open; by default
  // they are skipped. Changing it while open throws as above.
  bool IncludeDeleted() const { return includeDeleted_; }
  void SetIncludeDeleted(bool value);

  // How values are written as text from the next open: for the eye (the default), in the
  // regional formats in force at the open; or for transfer into the target database, in
  // TransferFormats (value_formatter.h) with numbers exact, whatever the regional settings.
  enum class ValueTexts { kRegional, kTransfer };
  void SetValueTexts(ValueTexts form) { valueTexts_ = form; }

  // Opens the table and makes its first record current; does nothing when it is open already.
  // Values are written as SetValueTexts says.
  // Throws EDatabaseError "Missing TableName property" for an empty file name, EDBEngineError
  // for a folder or file that is missing, unreadable, damaged or of an unsupported kind. A failed
  // open leaves the table closed.
  void Open();
  // Frees the fields; does nothing when the table is closed.
  void Close();
  bool Active() const { return reader_ != nullptr; }
  void SetActive(bool value);

  // What the reads since the last open found; kept after the close until the next open.
  const SourceReadReport& ReadReport() const { return report_; }

  // The code page the text was read in at the last open, and why; kept after the close.
  const CodePageChoice& CodePageInUse() const { return codePageInUse_; }

  // The driver that read the table at the last open: "DBASE" or "FOXPRO" (table_type.h).
  const std::string& TableDriver() const { return driver_; }

  // The fields, one per usable column in file order; none while closed.
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // Throws std::out_of_range for a position outside 0 .. FieldCount() - 1.
  SourceField& Field(int i) const;
  // The first field whose name equals name regardless of letter case (Latin and Cyrillic), or
  // nullptr.
  SourceField* FindField(std::string_view name) const;
  // As FindField; throws EDatabaseError "Field '<name>' not found" when there is none.
  SourceField& FieldByName(std::string_view name) const;

  // The number of records First and Next visit: records marked deleted are not counted.
  // Throws EDatabaseError "Cannot perform this operation on a closed dataset" while closed, as
  // do First, Next and SetRecNo.
  int RecordCount() const;
  // Makes the first record current (none in an empty table, which is then at its end).
  void First();
  // Moves one record on; at the last record it stays there and sets the end flag.
  void Next();
  // Whether Next found no further record, or the table has none; true while closed.
  bool Eof() const { return eof_; }

  // The current record's number, 1 .. RecordCount(); 0 when there is none.
  int RecNo() const;
  // Makes record n current (1-based; n outside 1 .. RecordCount() is taken as the nearer end)
  // and clears the end flag. Reads only that record, so a grid can show any part of a large
  // table as it scrolls.
  void SetRecNo(int n);
  // The current record's position in the file (1-based, deleted records counted): what a dBASE
  // editor calls its record number. 0 when there is none.
  int FilePosition() const;

 private:
  friend class SourceField;
  void CountLost(const DbfColumn& column, std::size_t lost);
  void CheckOpen() const;
  void CheckClosedForChange(const std::string& current, const std::string& value) const;
  void MoveTo(std::uint32_t n);
  std::string TablePath() const;
  void BuildFields();

  std::string name_;
  std::string databaseName_;
  std::string tableName_;
  std::string codePage_;
  bool includeDeleted_ = false;
  ValueTexts valueTexts_ = ValueTexts::kRegional;
  std::string driver_;
  CodePageChoice codePageInUse_;

  SourceReadReport report_;
  // The live record whose lost characters were counted last, and which of its columns were.
  std::uint32_t lossRecord_ = 0;
  std::vector<bool> lossColumns_;
  std::unique_ptr<DbfReader> reader_;
  std::unique_ptr<ValueFormatter> formatter_;
  std::vector<std::unique_ptr<SourceField>> fields_;
  std::uint32_t current_ = 0;
  const char* record_ = nullptr;  // bytes of the current record, nullptr when there is none
  bool eof_ = true;
};

}  // namespace qm
