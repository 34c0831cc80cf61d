// Oracle errors raised inside the engine. Every failure that reaches a client is an OraError: the
// error number, the full message as a client shows it ("ORA-00942: table or view does not exist")
// and, for errors found while parsing or resolving a statement, the byte offset of the fault in
// the statement text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qm::ocilite {

class OraError : public std::runtime_error {
 public:
  // Builds the message from the engine's text for `code`; each "%s" of that text takes the next
  // argument.
  OraError(int code, std::initializer_list<std::string_view> args = {});
  // A message given whole, for errors whose text is not in the engine's table.
  static OraError WithText(int code, std::string_view text);
  // Error `code` (its text from the table, with `args`) on top of `cause`, as Oracle stacks
  // errors: one message of several lines, the outer error's first.
  static OraError Over(int code, const OraError& cause,
                       std::initializer_list<std::string_view> args = {});

  int Code() const { return code_; }
  // Offset of the fault in the statement text, or -1 when the error has no position.
  int Offset() const { return offset_; }
  OraError& At(int offset) {
    offset_ = offset;
    return *this;
  }

 private:
  // The tag keeps this constructor out of overload resolution for `OraError(code, {text})`, where
  // compilers differ on whether a one-element list prefers std::string over the argument list.
  struct WholeMessage {};
  OraError(int code, std::string message, WholeMessage);
  int code_;
  int offset_ = -1;
};

// The message text of an error number without the "ORA-NNNNN: " prefix, with its "%s" left in.
std::string_view OraErrorText(int code);

// "ORA-" + five digits + ": " + text.
std::string FormatOraMessage(int code, std::string_view text);

}  // namespace qm::ocilite
