#pragma once
// A statement a session runs for itself: its session settings ("alter session ..."), the
// probes behind CharacterWidth and DateFormatLength, and a password change on a server that
// cannot take one through the client call. It is attached to the session, so LogOff closes it.
// Queries deliver every column as text.

#include <string>
#include <vector>

#include "oracle/oci.h"
#include "oracle/session_attachment.h"

namespace qm {

class TOracleSession;

class SessionStatement : public TSessionAttachment {
 public:
  // Attaches to `session`, which must outlive the statement or tell it SessionDestroyed.
  SessionStatement(TOracleSession& session, std::string name);
  ~SessionStatement() override;
  SessionStatement(const SessionStatement&) = delete;
  SessionStatement& operator=(const SessionStatement&) = delete;

  const std::string& Name() const { return name_; }
  // Prepares and executes `sql` on the connected session (with commit on success when the
  // session has AutoCommit and `sql` is no query); a query is then read with Next. Throws
  // EOracleError.
  void Execute(const std::string& sql);
  // The next row of the query, NULL as ""; false after the last one. Throws EOracleError.
  bool Next(std::vector<std::string>& row);
  // Frees the client handles.
  void Close();

  void SessionLoggingOff() override { Close(); }
  void SessionDestroyed() override { session_ = nullptr; }

 private:
  // The longest column text read.
  static constexpr ub4 kColumnBuffer = 4001;

  struct Column {
    std::vector<char> buffer = std::vector<char>(kColumnBuffer);
    sb2 indicator = 0;
  };

  void Check(sword status);

  TOracleSession* session_;
  std::string name_;
  OCIStmt* stmt_ = nullptr;
  OCIError* err_ = nullptr;
  std::vector<Column> columns_;
};

}  // namespace qm
