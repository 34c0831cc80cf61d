#include "import/rejected_records.h"

#include "import/field_link_table.h"
#include "import/source_record.h"
#include "platform/codepage.h"
#include "platform/file_write.h"
#include "source/dbf_writer.h"

namespace qm {
namespace {

// The last quoted identifier of a server message's column reference: '"S"."T"."NAME"' gives
// NAME. Empty when the message has no such reference after `lead`.
std::string QuotedColumn(const std::string& message, const std::string& lead) {
  const std::size_t at = message.find(lead);
  if (at == std::string::npos) return {};
  std::size_t pos = at + lead.size();
  std::string last;
  while (pos < message.size() && message[pos] == '"') {
    const std::size_t end = message.find('"', pos + 1);
    if (end == std::string::npos) return {};
    last = message.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    if (pos >= message.size() || message[pos] != '.') break;
    ++pos;
  }
  return last;
}

std::string LinkedValue(const std::string& column, const FieldLinkTable& links,
                        const SourceRecord& record) {
  for (int r = 1; r < links.RowCount(); ++r) {
    if (!Cp1251EqualNoCase(links.Cell(FieldLinkTable::kOraField, r), column)) continue;
    const std::string& fallback = links.Cell(FieldLinkTable::kDefaultValue, r);
    if (!fallback.empty()) return fallback;
    try {
      return record.FieldValue(links.Cell(FieldLinkTable::kDbfField, r));
    } catch (const std::exception&) {
      return {};  // the record's value is what could not be read
    }
  }
  return {};
}

std::string Cell(const std::string& cp1251) {
  std::string text = Cp1251ToUtf8(cp1251);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::string out;
  for (const char c : text) {
    const bool blank = c == '\t' || c == '\r' || c == '\n';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

}  // namespace

RejectedRecord DescribeRejection(std::int32_t position, const std::string& message,
                                 const FieldLinkTable& links, const SourceRecord& record) {
  RejectedRecord rejected{position, {}, {}, message};
  while (!rejected.message.empty() &&
         (rejected.message.back() == '\n' || rejected.message.back() == '\r'))
    rejected.message.pop_back();
  const std::string& text = rejected.message;
  const std::size_t field = text.find(", field ");
  if (field != std::string::npos && text.find(": record ") < field) {
    const std::size_t nameStart = field + 8;
    const std::size_t colon = text.find(": ", nameStart);
    if (colon != std::string::npos) {
      rejected.column = text.substr(nameStart, colon - nameStart);
      // The fault quotes the stored value at its end: "invalid number '12A4'".
      const std::size_t open = text.find('\'', colon);
      if (text.back() == '\'' && open + 1 < text.size())
        rejected.value = text.substr(open + 1, text.size() - open - 2);
      return rejected;
    }
  }
  for (const char* lead : {"for column ", "into ("}) {
    rejected.column = QuotedColumn(text, lead);
    if (!rejected.column.empty()) break;
  }
  if (!rejected.column.empty()) rejected.value = LinkedValue(rejected.column, links, record);
  return rejected;
}

std::string ReasonsText(const std::vector<RejectedRecord>& records) {
  std::string text = "record\tcolumn\tvalue\tmessage\n";
  for (const RejectedRecord& r : records)
    text += std::to_string(r.position) + '\t' + Cell(r.column) + '\t' + Cell(r.value) + '\t' +
            Cell(r.message) + '\n';
  return text;
}

std::string ReasonsPathFor(const std::string& badPath) {
  const std::size_t slash = badPath.find_last_of('/');
  const std::size_t dot = badPath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? badPath.substr(0, dot) : badPath) + ".reasons.txt";
}

std::vector<std::string> WriteRejectedRecords(const std::string& sourcePath,
                                              const std::string& codePage,
                                              const std::vector<RejectedRecord>& records,
                                              const std::string& badPath) {
  TableExtract extract{sourcePath, codePage, {}};
  for (const RejectedRecord& r : records)
    extract.positions.push_back(static_cast<std::uint32_t>(r.position));
  std::vector<std::string> written = WriteTableExtract(extract, badPath);
  written.insert(written.begin() + 1, ReasonsPathFor(badPath));
  ReplaceFileContent(written[1], ReasonsText(records));
  return written;
}

}  // namespace qm
