#include "app/internal/batch_check.h"

#include "app/target_facts.h"
#include "platform/codepage.h"

namespace qm {

CheckSummary RunBatchCheck(TOracleSession& session, SourceTable& dbf, const FieldLinkTable& links,
                           const std::string& tableName, bool seek, std::FILE* out) {
  const TargetFacts facts = ReadTargetFacts(session, tableName);
  CheckObserver observer;
  observer.reject = [out](const WouldBeReject& reject) {
    std::fprintf(out, "%s\n", Cp1251ToUtf8(RejectLine(reject)).c_str());
  };
  const CheckSummary summary = CheckAllRecords(dbf, links, facts, observer, seek);
  std::string text;
  for (char c : CheckSummaryText(summary, facts))
    if (c != '\r') text += c;  // its lines end in CR LF, as a box's do
  std::fprintf(out, "%s\n", Cp1251ToUtf8(text).c_str());
  return summary;
}

}  // namespace qm
