#include "app/internal/console_import_window.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/codepage.h"

namespace qm {
namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kTerminalInterval = std::chrono::milliseconds(250);
constexpr auto kLogInterval = std::chrono::seconds(5);
constexpr int kBarWidth = 30;
}  // namespace

ConsoleImportWindow::ConsoleImportWindow(const ConsoleImportOptions& options,
                                         FieldLinkTable& links, std::FILE* out, std::FILE* err,
                                         bool interactive)
    : options_(options), links_(links), out_(out), err_(err), interactive_(interactive) {}

void ConsoleImportWindow::Print(std::FILE* to, const std::string& cp1251) {
  std::string text = Cp1251ToUtf8(cp1251);
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
  std::fprintf(to, "%s\n", plain.c_str());
}

void ConsoleImportWindow::RunStarted() { start_ = lastReport_ = Clock::now(); }

void ConsoleImportWindow::SetProgressMax(int max) { max_ = max; }

void ConsoleImportWindow::SetProgress(int position) {
  const auto now = Clock::now();
  const bool last = position >= max_ && max_ > 0;
  if (!last && now - lastReport_ < (interactive_ ? kTerminalInterval : kLogInterval)) return;
  lastReport_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? position / seconds : 0;
  const double left = rate > 0 ? (max_ - position) / rate : 0;
  if (interactive_) {
    const int filled = max_ > 0 ? kBarWidth * position / max_ : 0;
    std::fprintf(err_, "\r[%s%s] %d/%d  %.0f rec/s  %.0f s left ", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, '.').c_str(), position, max_, rate, left);
    barOpen_ = !last;
    if (last) std::fputc('\n', err_);
  } else {
    std::fprintf(err_, "%d/%d records, %.0f rec/s, %.0f s left\n", position, max_, rate, left);
  }
  std::fflush(err_);
}

void ConsoleImportWindow::AppendErrorLog(const std::string& entry, const std::string& reason) {
  ++logged_;
  // The entry as the window would save it, then its reason on a line of its own, then the line
  // break the window adds.
  std::string line = entry;
  std::string_view why = reason;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.remove_suffix(1);
  if (!why.empty()) {
    if (!line.ends_with("\r\n")) line += "\r\n";
    line.append(why);
    line += "\r\n";
  }
  line += "\r\n";
  std::FILE* log = std::fopen(options_.logPath.c_str(), "ab");
  bool ok = log != nullptr;
  int error = errno;
  if (log) {
    ok = std::fwrite(line.data(), 1, line.size(), log) == line.size();
    error = errno;
    if (std::fclose(log) != 0 && ok) {
      ok = false;
      error = errno;
    }
  }
  if (ok) ++written_;
  if (ok || logFailed_) return;
  logFailed_ = true;
  std::fprintf(err_, "cannot write the error log %s: %s\n", options_.logPath.c_str(),
               std::strerror(error));
}

void ConsoleImportWindow::ShowErrorLog() {
  // A run stopped early leaves its bar unfinished: what follows starts on a line of its own.
  if (barOpen_) std::fputc('\n', err_);
  barOpen_ = false;
  if (logged_ == 0) return;
  if (written_ == logged_)
    std::fprintf(err_, "%d failed statement(s) appended to %s\n", logged_,
                 options_.logPath.c_str());
  else
    std::fprintf(err_, "%d failed statement(s); the error log %s holds only %d of them\n", logged_,
                 options_.logPath.c_str(), written_);
}

MessageButton ConsoleImportWindow::ShowMessage(const MessageBoxRequest& request) {
  const bool summary = request.caption == "move data";
  if (!(summary && holdSummary_)) Print(summary ? out_ : err_, request.text);
  return kButtonOk;
}

void ConsoleImportWindow::ShowBusy(const std::string& message) { Print(err_, message); }

}  // namespace qm
