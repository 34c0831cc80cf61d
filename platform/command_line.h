#pragma once
// The program's command-line arguments behind a small interface: the Oracle layer reads
// name=value arguments from it ("OCIDLL", "ORACLEHOME", "UserId"), and tests supply their own.

#include <string>
#include <vector>

namespace qm {

class CommandLine {
 public:
  virtual ~CommandLine() = default;
  // The arguments after the program name, in order.
  virtual std::vector<std::string> Arguments() const = 0;
};

// The arguments this process was started with, read from /proc/self/cmdline, so that no start-up
// code has to hand them over.
class ProcessCommandLine : public CommandLine {
 public:
  std::vector<std::string> Arguments() const override;
};

// A fixed list, for tests and for programs that build their own.
class FixedCommandLine : public CommandLine {
 public:
  explicit FixedCommandLine(std::vector<std::string> arguments)
      : arguments_(std::move(arguments)) {}
  std::vector<std::string> Arguments() const override { return arguments_; }

 private:
  std::vector<std::string> arguments_;
};

}  // namespace qm
