#pragma once
// EOracleError: a failed call of the Oracle client, with the client's message for it (Oracle's
// "ORA-nnnnn: ..." text as the client returns it, line end included) and the Oracle error number.

#include <stdexcept>
#include <string>

namespace qm {

class EOracleError : public std::runtime_error {
 public:
  EOracleError(const std::string& message, int errorCode)
      : std::runtime_error(message), errorCode_(errorCode) {}
  int ErrorCode() const { return errorCode_; }

 private:
  int errorCode_;
};

}  // namespace qm
