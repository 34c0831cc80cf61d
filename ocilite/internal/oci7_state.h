// What stands behind a release 7 logon data area (LDA) and cursor data area (CDA): the client's
// 64-byte areas carry a pointer to these in their reserved field.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "oci/oci.h"
#include "ocilite/internal/session.h"
#include "ocilite/internal/statement_runner.h"

namespace qm::ocilite::oci {

struct SvcCtxHandle;
struct CdaCursor;

struct LdaConnection {
  std::unique_ptr<Session> owned;  // the connection olog opened
  Session* session = nullptr;      // owned, or borrowed from a service context
  SvcCtxHandle* svc = nullptr;     // set when made by OCISvcCtxToLda
  bool autocommit = false;
  sb4 last_code = 0;
  std::string last_message;  // in the client's character set
  std::set<CdaCursor*> cursors;
  const CodePage* code_page = nullptr;
};

struct CdaCursor {
  LdaConnection* connection = nullptr;
  StatementRunner runner;
  std::unique_ptr<OraError> deferred_error;  // a parse error kept for the next call
  bool ran_at_parse = false;                 // a definition statement parsed at once
};

// Forgets a connection and its cursors (without ending its session).
void ReleaseLda(LdaConnection* lda);

}  // namespace qm::ocilite::oci
