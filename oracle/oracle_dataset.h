#pragma once
// TOracleDataSet: the rows of a select, run by the dataset's own statement MainQuery and held in
// memory, read through fields by name on a current record.
//
// Open executes MainQuery (an unchanged text is not parsed again), makes one field per column
// (no field for the ROWID column; a repeated name gets "_1", "_2", ...), and fetches every row,
// or with QueryAllRecords false only the first: further rows are fetched as Next moves past the
// last one held, and Last fetches the rest. The dataset's BeforeQuery is called before MainQuery
// executes, its AfterQuery once Open has fetched.
// When MainQuery declares a cursor variable (a block such as "begin open :c for select ...; end;")
// the dataset gives it a statement of its own, CursorQuery, and the rows are those of the result
// set the block opens.
// MainQuery's errors pass out of Open and leave the dataset closed. Close frees the records and
// fields but keeps MainQuery's parsed statement. Editing SQL while open changes nothing until the
// dataset is closed and opened again. The session's LogOff closes the dataset.
//
// Misuse raises EDatabaseError: "Field '<name>' not found", "Cannot perform this operation on a
// closed dataset", "Unexpected datatype: <field>", "No Records", "Cannot count query hits for
// cursor dataset".

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "oracle/data_set_field.h"
#include "oracle/oracle_query.h"
#include "oracle/record_data_list.h"
#include "oracle/session_attachment.h"

namespace qm {

class TOracleDataSet : public TSessionAttachment {
 public:
  // A NULL value, an integer, a float or date-time, a text or the bytes of a large value.
  using Value = std::variant<std::monostate, int, double, std::string>;
  using TDataSetNotifyEvent = std::function<void(TOracleDataSet& sender)>;

  TOracleDataSet();
  ~TOracleDataSet() override;
  TOracleDataSet(const TOracleDataSet&) = delete;
  TOracleDataSet& operator=(const TOracleDataSet&) = delete;

  // Prefixes the dataset's error texts ("<Name>: ...") when not empty.
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }

  TOracleQuery& MainQuery() { return mainQuery_; }
  TSQLLines& SQL() { return mainQuery_.SQL(); }
  TOracleSession* Session() const { return session_; }
  // Also MainQuery's session.
  void SetSession(TOracleSession* session);
  int ReadBuffer() const { return mainQuery_.ReadBuffer(); }
  void SetReadBuffer(int value) { mainQuery_.SetReadBuffer(value); }
  bool Optimize() const { return mainQuery_.Optimize(); }
  void SetOptimize(bool value) { mainQuery_.SetOptimize(value); }

  // Every row fetched at Open (the default), or one at a time as the records are walked.
  bool QueryAllRecords() const { return queryAllRecords_; }
  void SetQueryAllRecords(bool value) { queryAllRecords_ = value; }
  // RecordCount answers from CountQueryHits (once per open) instead of the records held.
  bool CountAllRecords() const { return countAllRecords_; }
  void SetCountAllRecords(bool value) { countAllRecords_ = value; }

  TDataSetNotifyEvent BeforeQuery;  // before MainQuery executes at Open
  TDataSetNotifyEvent AfterQuery;   // after Open has fetched

  // Opening an open dataset does nothing.
  void Open();
  void Close();
  bool Active() const { return active_; }
  void SetActive(bool value) { value ? Open() : Close(); }

  // The records held, or with CountAllRecords the query's hits.
  int RecordCount();
  // Runs "select count(*) from (<SQL without comments and trailing ORDER or FOR clause>)" with
  // the variables of SQL that MainQuery declares, and returns the count. Raises "Cannot count
  // query hits for cursor dataset" when MainQuery has a cursor variable.
  int CountQueryHits();
  void First();
  // At the last record: Eof becomes true and the record stays current.
  void Next();
  // Fetches every row not yet held and makes the last record current.
  void Last();
  // The current record; raises "No Records" when the dataset holds none.
  const std::byte* Resync();
  bool Eof() const { return eof_; }
  // Index of the current record, -1 when there is none.
  int RecNo() const { return current_; }

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TDataSetField& Field(int index) { return *fields_.at(static_cast<size_t>(index)); }
  // Ignores letter case; nullptr when absent.
  TDataSetField* FindField(const std::string& name);
  TDataSetField& FieldByName(const std::string& name);

  // The current record's value of a field (std::monostate for NULL or no record); a date-time
  // is a TDateTime.
  Value FieldValue(int fieldIndex) const;
  // The current record's block (see internal/dataset_record.h); nullptr when there is none.
  const std::byte* CurrentRecord() const;

  void SessionLoggingOff() override { Close(); }
  void SessionDestroyed() override { session_ = nullptr; }

 private:
  [[noreturn]] void Fail(const std::string& message) const;
  void BuildFields();
  // The fields of the open before become the former ones, which the next open may take again.
  void KeepFormerFields();
  // With a cursor variable in MainQuery: gives it the dataset's CursorQuery, whose result set
  // then holds the rows.
  void PrepareCursorQuery();
  // The statement whose rows the dataset reads: CursorQuery for a cursor dataset, else MainQuery.
  TOracleQuery& Rows();
  void LayOutRecord();
  // Fetches one row into the record list; false at the end of the rows.
  bool FetchRecord();
  void ReadRecord(std::byte* block);

  std::string name_;
  TOracleQuery mainQuery_;
  TOracleSession* session_ = nullptr;
  bool queryAllRecords_ = true;
  bool countAllRecords_ = false;
  bool active_ = false;
  bool firstRow_ = false;    // MainQuery's current row is the first, not yet taken
  bool allFetched_ = false;  // MainQuery has no rows left
  std::optional<int> countCache_;
  std::unique_ptr<TOracleQuery> countQuery_;
  std::unique_ptr<TOracleQuery> cursorQuery_;
  bool cursorRows_ = false;  // this open reads from cursorQuery_
  bool eof_ = true;
  int current_ = -1;
  int rowidColumn_ = -1;
  std::vector<std::unique_ptr<TDataSetField>> fields_;
  // The fields of the last open, taken again where the next open makes the same ones (a query
  // sent again and again with other values): fields do not change once made.
  std::vector<std::unique_ptr<TDataSetField>> formerFields_;
  std::vector<int> fieldColumns_;  // select-list index of each field
  std::vector<int> fieldOffsets_;  // where each field's null flag is in a record
  std::vector<int> largeSlots_;    // each memo or blob field's place in a large-value list, or -1
  int largeFieldCount_ = 0;
  std::unique_ptr<TRecordDataList> records_;
  // The records' large-value lists; a record names its own by number (1 for the first).
  std::vector<std::vector<std::string>> largeValues_;
};

}  // namespace qm
