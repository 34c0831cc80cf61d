// The scripted server of the test client library: the functions a logon, a logoff and an
// internal statement walk through, defined for real over the weak stubs.
//
//  - Handles are dummy addresses, one per handle type; nothing is ever freed.
//  - OCIServerAttach to the alias "LONGERROR" fails with ORA-20001 and a message of 3000
//    characters; any other alias attaches.
//  - OCISessionBegin and OCIServerVersion succeed; the banner is an Oracle7 one after an attach
//    to the alias "ORA73", an Oracle8 one otherwise.
//  - Statements prepare and execute without doing anything; their texts are recorded in the
//    call log as OCIStmtPrepare(text), with \n for each line feed.
//  - qm_test_fail_next_statement_free makes the next OCIHandleFree of a statement fail with
//    ORA-03114.
//  - Binds are recorded as OCIBindByName(name,type,size,maxarr,curele), curele being the count
//    the caller's element counter holds ("-" without one). A block starting with "begin" is a
//    PL/SQL block; executing "begin fill(:T); end;" fills the PL/SQL table bound as :T (integers)
//    with 10, 20, 30, ... up to its size, at most 3, and sets its count.
//  - The select "select * from kinds" describes the columns ID NUMBER(9), OBJ (a named type),
//    PTR (a REF) and CUR (a cursor), in that order, and fetches no row.

#include <algorithm>
#include <cstring>
#include <string>

#pragma GCC visibility push(default)
#include "oci/oci.h"
#pragma GCC visibility pop
#include "oracle/testing/oci8_only_client_calls.h"

namespace {

char handles[64];
char descriptor;
std::string attachedAlias;
sb4 pendingCode = 0;
std::string pendingMessage;
bool kindsQuery = false;
bool plsqlBlock = false;
std::string preparedText;

struct ScriptedBind {
  void* value;
  sb4 size;
  ub2 type;
  sb2* indicators;
  ub4 maxElements;
  ub4* count;
};
ScriptedBind tableT{};

// The columns of "select * from kinds": name, internal type, precision.
struct ScriptedColumn {
  const char* name;
  ub2 type;
  ub1 precision;
};
constexpr ScriptedColumn kKinds[] = {{"ID", SQLT_NUM, 9}, {"OBJ", 108, 0}, {"PTR", 110, 0},
                                     {"CUR", 116, 0}};
// Parameter descriptors are addresses into this array, one per select-list position.
char params[sizeof kKinds / sizeof kKinds[0]];

void* Handle(ub4 type) {
  return &handles[type % sizeof handles];
}

std::string Text(const OraText* text, sb4 length) {
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

}  // namespace

sword OCIEnvInit(OCIEnv** envp, ub4 mode, std::size_t, void**) {
  RecordCall("OCIEnvInit(" + std::to_string(mode) + ")");
  *envp = static_cast<OCIEnv*>(Handle(OCI_HTYPE_ENV));
  return OCI_SUCCESS;
}

sword OCIHandleAlloc(const void*, void** hndlpp, const ub4 type, const std::size_t, void**) {
  RecordCall("OCIHandleAlloc(" + std::to_string(type) + ")");
  *hndlpp = Handle(type);
  return OCI_SUCCESS;
}

sword OCIDescriptorAlloc(const void*, void** descpp, const ub4 type, const std::size_t, void**) {
  RecordCall("OCIDescriptorAlloc(" + std::to_string(type) + ")");
  *descpp = &descriptor;
  return OCI_SUCCESS;
}

bool failStatementFree = false;

// Makes the next release of a statement handle fail with ORA-03114.
extern "C" __attribute__((visibility("default"))) void qm_test_fail_next_statement_free() {
  failStatementFree = true;
}

sword OCIHandleFree(void*, const ub4 type) {
  RecordCall("OCIHandleFree(" + std::to_string(type) + ")");
  if (type != OCI_HTYPE_STMT || !failStatementFree) return OCI_SUCCESS;
  failStatementFree = false;
  pendingCode = 3114;
  pendingMessage = "ORA-03114: not connected to ORACLE\n";
  return OCI_ERROR;
}

sword OCIServerAttach(OCIServer*, OCIError*, const OraText* dblink, sb4 dblink_len, ub4) {
  const std::string alias = Text(dblink, dblink_len);
  RecordCall("OCIServerAttach(" + alias + ")");
  attachedAlias = alias;
  if (alias != "LONGERROR") return OCI_SUCCESS;
  pendingCode = 20001;
  pendingMessage = "ORA-20001: " + std::string(3000, 'x') + "\n";
  return OCI_ERROR;
}

sword OCIAttrSet(void*, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError*) {
  std::string call = "OCIAttrSet(" + std::to_string(trghndltyp) + "," + std::to_string(attrtype);
  if (attrtype == OCI_ATTR_USERNAME || attrtype == OCI_ATTR_PASSWORD)
    call += "," + Text(static_cast<const OraText*>(attributep), static_cast<sb4>(size));
  RecordCall(call + ")");
  return OCI_SUCCESS;
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep,
                 ub4 attrtype, OCIError*) {
  RecordCall("OCIAttrGet(" + std::to_string(attrtype) + ")");
  if (trghndltyp == OCI_DTYPE_PARAM) {
    const ScriptedColumn& column = kKinds[static_cast<const char*>(trgthndlp) - params];
    switch (attrtype) {
      case OCI_ATTR_DATA_TYPE:
        *static_cast<ub2*>(attributep) = column.type;
        break;
      case OCI_ATTR_DATA_SIZE:
        *static_cast<ub2*>(attributep) = column.type == SQLT_NUM ? 22 : 4;
        break;
      case OCI_ATTR_NAME:
        *static_cast<const char**>(attributep) = column.name;
        *sizep = static_cast<ub4>(std::strlen(column.name));
        break;
      case OCI_ATTR_PRECISION:
        *static_cast<ub1*>(attributep) = column.precision;
        break;
      default:
        break;
    }
    return OCI_SUCCESS;
  }
  if (attrtype == OCI_ATTR_STMT_TYPE)
    *static_cast<ub2*>(attributep) = kindsQuery   ? OCI_STMT_SELECT
                                     : plsqlBlock ? OCI_STMT_BEGIN
                                                  : OCI_STMT_ALTER;
  if (attrtype == OCI_ATTR_PARAM_COUNT)
    *static_cast<ub4*>(attributep) = kindsQuery ? sizeof kKinds / sizeof kKinds[0] : 0;
  return OCI_SUCCESS;
}

sword OCIParamGet(const void*, ub4, OCIError*, void** parmdpp, ub4 pos) {
  RecordCall("OCIParamGet(" + std::to_string(pos) + ")");
  *parmdpp = &params[pos - 1];
  return OCI_SUCCESS;
}

sword OCIStmtFetch(OCIStmt*, OCIError*, ub4 nrows, ub2, ub4) {
  RecordCall("OCIStmtFetch(" + std::to_string(nrows) + ")");
  return kindsQuery ? OCI_NO_DATA : OCI_SUCCESS;
}

sword OCISessionBegin(OCISvcCtx*, OCIError*, OCISession*, ub4 credt, ub4 mode) {
  RecordCall("OCISessionBegin(" + std::to_string(credt) + "," + std::to_string(mode) + ")");
  return OCI_SUCCESS;
}

sword OCIServerVersion(void*, OCIError*, OraText* bufp, ub4 bufsz, ub1) {
  RecordCall("OCIServerVersion");
  const std::string banner =
      attachedAlias == "ORA73" ? "Oracle7 Server Release 7.3.4.0.0 - Production"
                               : "Oracle8 Release 8.0.5.0.0 - Production\nPL/SQL Release 8.0.5.0.0";
  const std::size_t n = std::min<std::size_t>(banner.size(), bufsz - 1);
  std::memcpy(bufp, banner.data(), n);
  bufp[n] = 0;
  return OCI_SUCCESS;
}

sword OCIStmtPrepare(OCIStmt*, OCIError*, const OraText* stmt, ub4 stmt_len, ub4, ub4) {
  // A line feed in the text is logged as \n, so the log keeps one call a line.
  std::string text = Text(stmt, static_cast<sb4>(stmt_len));
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
    text.replace(at, 1, "\\n");
  RecordCall("OCIStmtPrepare(" + text + ")");
  kindsQuery = text.rfind("select * from kinds", 0) == 0;
  plsqlBlock = text.rfind("begin", 0) == 0;
  preparedText = text;
  tableT = {};
  return OCI_SUCCESS;
}

sword OCIBindByName(OCIStmt*, OCIBind** bindp, OCIError*, const OraText* placeholder,
                    sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2*, ub2*,
                    ub4 maxarr_len, ub4* curelep, ub4) {
  const std::string name = Text(placeholder, placeh_len);
  RecordCall("OCIBindByName(" + name + "," + std::to_string(dty) + "," + std::to_string(value_sz) +
             "," + std::to_string(maxarr_len) + "," +
             (curelep != nullptr ? std::to_string(*curelep) : std::string("-")) + ")");
  if (name == ":T")
    tableT = {valuep, value_sz, dty, static_cast<sb2*>(indp), maxarr_len, curelep};
  *bindp = static_cast<OCIBind*>(Handle(OCI_HTYPE_BIND));
  return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx*, OCIStmt*, OCIError*, ub4 iters, ub4, const OCISnapshot*,
                     OCISnapshot*, ub4 mode) {
  RecordCall("OCIStmtExecute(" + std::to_string(iters) + "," + std::to_string(mode) + ")");
  if (preparedText.rfind("begin fill(:T); end;", 0) == 0 && tableT.count != nullptr && tableT.type == SQLT_INT) {
    const ub4 n = std::min<ub4>(tableT.maxElements, 3);
    for (ub4 i = 0; i < n; ++i) {
      const sb4 value = static_cast<sb4>(10 * (i + 1));
      std::memcpy(static_cast<char*>(tableT.value) + i * static_cast<ub4>(tableT.size), &value,
                  sizeof value);
      tableT.indicators[i] = 0;
    }
    *tableT.count = n;
  }
  return OCI_SUCCESS;
}

sword OCIErrorGet(void*, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4) {
  if (recordno != 1 || pendingCode == 0) return OCI_NO_DATA;
  if (errcodep != nullptr) *errcodep = pendingCode;
  if (bufp != nullptr && bufsiz > 0) {
    const std::size_t n = std::min<std::size_t>(pendingMessage.size(), bufsiz - 1);
    std::memcpy(bufp, pendingMessage.data(), n);
    bufp[n] = 0;
  }
  return OCI_SUCCESS;
}
