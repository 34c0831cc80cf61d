#include "import/dry_run_check.h"

#include <algorithm>

#include "import/field_link_table.h"
#include "import/import_statements.h"
#include "import/source_record.h"
#include "platform/codepage.h"
#include "source/engine_error.h"
#include "source/source_table.h"

namespace qm {
namespace {

constexpr std::size_t kShownValue = 60;

bool TakesPart(const FieldLinkTable& links, int row) {
  return links.Cell(FieldLinkTable::kProceed, row) == "1";
}

// Puts the source back into its closed, regional state however the check ends.
class OpenForTransfer {
 public:
  explicit OpenForTransfer(SourceTable& dbf) : dbf_(dbf) {
    dbf_.Close();
    dbf_.SetValueTexts(SourceTable::ValueTexts::kTransfer);
    dbf_.Open();
  }
  ~OpenForTransfer() {
    dbf_.Close();
    dbf_.SetValueTexts(SourceTable::ValueTexts::kRegional);
  }
  OpenForTransfer(const OpenForTransfer&) = delete;
  OpenForTransfer& operator=(const OpenForTransfer&) = delete;

 private:
  SourceTable& dbf_;
};

}  // namespace

std::string SeekStopper(const FieldLinkTable& links, const TargetFacts& facts) {
  for (int r = 1; r < links.RowCount(); ++r) {
    if (!TakesPart(links, r)) continue;
    const TargetColumn* column = facts.FindColumn(links.Cell(FieldLinkTable::kOraField, r));
    if (column && !Comparable(column->dataType))
      return "the existence query of \"Seek old record\" cannot compare column " + column->name +
             " (" + column->dataType + "): the run would stop at its first record";
  }
  return {};
}

std::optional<WouldBeReject> CheckRecord(const FieldLinkTable& links, const TargetFacts& facts,
                                         const SourceRecord& record, bool seek) {
  struct Linked {
    std::string column;
    std::string value;
  };
  std::vector<Linked> linked;
  for (int r = 1; r < links.RowCount(); ++r)
    if (TakesPart(links, r))
      linked.push_back({links.Cell(FieldLinkTable::kOraField, r), LinkValue(links, r, record)});

  for (const Linked& l : linked)
    if (auto fault = LiteralFault(l.value)) return WouldBeReject{0, l.column, l.value, *fault};

  if (seek)
    for (const Linked& l : linked)
      if (const TargetColumn* column = facts.FindColumn(l.column))
        if (auto fault = ComparisonFault(facts, *column, l.value))
          return WouldBeReject{0, column->name, l.value, *fault};

  std::vector<const TargetColumn*> filled;
  for (const Linked& l : linked) {
    const TargetColumn* column = facts.FindColumn(l.column);
    if (!column)
      return WouldBeReject{0, l.column, l.value,
                           "ORA-00904: \"" + std::string(Trim(l.column)) +
                               "\": invalid identifier"};
    filled.push_back(column);
    if (auto fault = ColumnFault(facts, *column, l.value))
      return WouldBeReject{0, column->name, l.value, *fault};
  }
  for (const TargetColumn& column : facts.columns) {
    if (column.nullable || column.hasDefault) continue;
    if (std::find(filled.begin(), filled.end(), &column) != filled.end()) continue;
    if (auto fault = ColumnFault(facts, column, {}))
      return WouldBeReject{0, column.name, {}, *fault};
  }
  return std::nullopt;
}

CheckSummary CheckAllRecords(SourceTable& dbf, const FieldLinkTable& links,
                             const TargetFacts& facts, const CheckObserver& observer,
                             bool seek) {
  CheckSummary summary;
  if (seek) summary.stopper = SeekStopper(links, facts);
  const OpenForTransfer open(dbf);
  const std::int32_t n = dbf.RecordCount();
  if (observer.started) observer.started(n);
  const CurrentRecord record(dbf);
  dbf.First();
  for (std::int32_t i = 1; i <= n; ++i, dbf.Next()) {
    if (observer.progress) observer.progress(i);
    ++summary.read;
    std::optional<WouldBeReject> reject;
    try {
      reject = CheckRecord(links, facts, record, seek);
    } catch (const EFieldValueError& e) {
      reject = WouldBeReject{0, {}, {}, e.Text()};
    }
    if (!reject) continue;
    reject->record = i;
    ++summary.rejected;
    if (observer.reject) observer.reject(*reject);
  }
  return summary;
}

std::string RejectLine(const WouldBeReject& reject) {
  std::string line = "record " + std::to_string(reject.record);
  if (reject.column.empty()) return line + ", not read: " + reject.message;
  line += ", column " + reject.column + ", value '";
  if (reject.value.size() > kShownValue) {
    line += reject.value.substr(0, kShownValue) + "'... (" + std::to_string(reject.value.size()) +
            " characters)";
  } else {
    line += reject.value + "'";
  }
  return line + ": " + reject.message;
}

std::string CheckSummaryText(const CheckSummary& summary, const TargetFacts& facts) {
  std::string text = std::to_string(summary.read) + " records checked, " +
                     std::to_string(summary.rejected) + " would be rejected, " +
                     std::to_string(summary.read - summary.rejected) + " would be loaded";
  if (!summary.stopper.empty()) text += "\r\n" + summary.stopper;
  if (facts.databaseCharacterSet.empty())
    text += "\r\nthe database character set could not be read: lengths were counted as one byte "
            "a character";
  if (!DateFormatCheckable(facts.dateFormat))
    text += "\r\ndates were not checked: the session's date format " + facts.dateFormat +
            " has elements the check does not read";
  return text;
}

}  // namespace qm
