// Splits SQL*Plus-style input into statements: a statement ends with ";" at the end of a line
// (outside quotes and comments) or with a line holding only "/". The terminator is not part of
// the statement. Lines holding only a comment outside a statement are skipped; a few tool
// commands (EXIT, QUIT, PROMPT, SET, DESC[RIBE], REM) stand on their own line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm::ocilite {

struct ScriptItem {
  enum class Kind { kStatement, kCommand };
  Kind kind = Kind::kStatement;
  std::string text;  // the statement, or the whole command line
  int first_line = 1;
};

class SqlScript {
 public:
  // Feeds one line (without its line end). Returns an item when the line completes one.
  std::optional<ScriptItem> AddLine(std::string_view line);
  // What is left at the end of the input, if anything.
  std::optional<ScriptItem> Finish();

 private:
  std::string buffer_;
  int line_ = 0;
  int first_line_ = 0;
  bool in_quote_ = false;
  bool in_comment_ = false;
};

}  // namespace qm::ocilite
