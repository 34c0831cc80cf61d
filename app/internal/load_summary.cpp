#include "app/internal/load_summary.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace qm {
namespace {

std::string Rows(std::int32_t n, const char* what) {
  return "  " + std::to_string(n) + (n == 1 ? " Row " : " Rows ") + what + "\n";
}

std::string Total(const char* what, std::int32_t n) {
  char line[80];
  std::snprintf(line, sizeof line, "Total logical records %-17s%d\n", what, n);
  return line;
}

std::int32_t LostAtTheEnd(const LoadEnd& end) {
  return end.sessionEnded ? 0 : end.run.inserted - end.run.committedInserted;
}

}  // namespace

bool Discontinued(const LoadEnd& end) {
  return end.run.stop != RunStop::kNone || !end.sessionEnded;
}

std::int32_t ContinueFrom(const LoadEnd& end) {
  return end.sessionEnded && end.run.stop != RunStop::kWorkLost ? end.run.readThrough
                                                                : end.run.committedThrough;
}

std::string LoadSummaryText(const std::string& table, const LoadEnd& end, std::int32_t errorLimit) {
  const ImportRunResult& r = end.run;
  const std::int32_t lost = r.lost + LostAtTheEnd(end);
  std::string text = "Table " + table + ":\n";
  text += Rows(r.inserted - LostAtTheEnd(end), "successfully loaded.");
  text += Rows(r.rejected, "not loaded due to data errors.");
  text += Rows(r.present, "not loaded because an equal row was already present.");
  text += Rows(0, "not loaded because all fields were null.");
  text += Rows(lost, "not loaded because the session lost them.");
  text += "\n";
  text += Total("skipped:", r.skipped);
  text += Total("read:", r.read);
  text += Total("rejected:", r.rejected);
  text += Total("discarded:", r.present);
  text += Total("deleted:", r.deletedSkipped);
  text += Total("not read:", r.notRead);
  if (!Discontinued(end)) return text;
  std::string why;
  switch (r.stop) {
    case RunStop::kErrorLimit:
      why = "maximum error count " + std::to_string(errorLimit) + " exceeded";
      break;
    case RunStop::kInterrupted:
      why = "interrupted";
      break;
    case RunStop::kWorkLost:
      why = "the session lost its open work: " + r.stopReason;
      while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
      break;
    case RunStop::kNone:
      why = "the session's closing commit failed";
      break;
  }
  return text + "\nLoad discontinued (" + why + "); continue with --skip " +
         std::to_string(ContinueFrom(end)) + ".\n";
}

int LoadExitStatus(const LoadEnd& end) {
  return end.run.rejected > 0 || Discontinued(end) ? kLoadWarning : kLoadSucceeded;
}

std::int32_t ParseCount(const std::string& option, const std::string& text, int least) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < least)
    throw std::invalid_argument(option + " needs a whole number from " + std::to_string(least) +
                                ", not '" + text + "'");
  return value;
}

}  // namespace qm
