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
//  - Statement handles are distinct, named S1, S2, ... in the order of their allocation since
//    qm_test_reset. A handle bound with type 116 (a cursor variable) is logged with its name
//    after the curele; executing a block starting with "begin open :" then opens on that handle
//    a result set of two columns, ID NUMBER(9) and NAME VARCHAR2(10), and three rows: (10,
//    "ten"), (20, "twenty"), (30, NULL). Its fetches fill the buffers defined on it and are
//    logged as OCIStmtFetch(nrows,name); its row count is the rows fetched so far.
//  - Object types: OCITypeByName knows POINT and NOIND in any schema (or none), logged as
//    OCITypeByName(schema,name) with their descriptors named TPOINT and TNOIND; any other name
//    fails with ORA-22303. OCIObjectNew hands out instances I1, I2, ... (since qm_test_reset),
//    logged as OCIObjectNew(typecode,descriptor) ("-" for none); OCIObjectGetInd gives In the
//    null structure Nn, but fails with ORA-21700 for an instance of NOIND; OCIObjectFree
//    logs OCIObjectFree(In), and OCIBindObject logs OCIBindObject(descriptor,instance,nulls),
//    naming what the bind's pointers point at.
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

// The result set a block opens on the statement handle bound as a cursor variable.
constexpr ScriptedColumn kCursorColumns[] = {{"ID", SQLT_NUM, 9}, {"NAME", SQLT_CHR, 0}};
constexpr ub2 kCursorNameSize = 10;
struct ScriptedRow {
  sb4 id;
  const char* name;  // nullptr for NULL
};
constexpr ScriptedRow kCursorRows[] = {{10, "ten"}, {20, "twenty"}, {30, nullptr}};
constexpr ub4 kCursorRowCount = sizeof kCursorRows / sizeof kCursorRows[0];
char cursorParams[sizeof kCursorColumns / sizeof kCursorColumns[0]];
struct ScriptedDefine {
  void* value;
  sb4 size;
  ub2 type;
  sb2* indicators;
  ub2* lengths;
};
ScriptedDefine cursorDefines[sizeof kCursorColumns / sizeof kCursorColumns[0]];
void* cursorBind = nullptr;    // where the caller keeps the handle bound as a cursor variable
const void* resultSet = nullptr;  // the handle a block opened the result set on
ub4 resultSetFetched = 0;

constexpr unsigned kStatements = 16;
char statements[kStatements];
unsigned statementsAllocated = 0;

// Object types, and the instances made of them in the client's cache.
constexpr const char* kTypes[] = {"POINT", "NOIND"};
char types[sizeof kTypes / sizeof kTypes[0]];
constexpr unsigned kInstances = 16;
char instanceCells[kInstances];
char nullCells[kInstances];
const OCIType* instances[kInstances];  // the type each was made of
unsigned instancesMade = 0;

std::string TypeName(const OCIType* tdo) {
  const char* at = reinterpret_cast<const char*>(tdo);
  if (at < types || at >= types + sizeof types) return "-";
  return std::string("T") + kTypes[at - types];
}

std::string CellName(const void* cell, const char* cells, const char* prefix) {
  const char* at = static_cast<const char*>(cell);
  if (at < cells || at >= cells + kInstances) return "?";
  return prefix + std::to_string(at - cells + 1);
}
std::string InstanceName(const void* instance) {
  return CellName(instance, instanceCells, "I");
}
std::string NullName(const void* nulls) {
  return CellName(nulls, nullCells, "N");
}

std::string StatementName(const void* handle) {
  const char* at = static_cast<const char*>(handle);
  if (at < statements || at >= statements + kStatements) return "?";
  return "S" + std::to_string(at - statements + 1);
}

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
  *hndlpp = type == OCI_HTYPE_STMT ? &statements[statementsAllocated++ % kStatements]
                                   : Handle(type);
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
    const char* param = static_cast<const char*>(trgthndlp);
    const bool ofCursor = param >= cursorParams && param < cursorParams + sizeof cursorParams;
    const ScriptedColumn& column =
        ofCursor ? kCursorColumns[param - cursorParams] : kKinds[param - params];
    switch (attrtype) {
      case OCI_ATTR_DATA_TYPE:
        *static_cast<ub2*>(attributep) = column.type;
        break;
      case OCI_ATTR_DATA_SIZE:
        *static_cast<ub2*>(attributep) = column.type == SQLT_NUM   ? 22
                                         : column.type == SQLT_CHR ? kCursorNameSize
                                                                   : 4;
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
  if (trgthndlp == resultSet && resultSet != nullptr) {
    if (attrtype == OCI_ATTR_PARAM_COUNT)
      *static_cast<ub4*>(attributep) = sizeof kCursorColumns / sizeof kCursorColumns[0];
    if (attrtype == OCI_ATTR_ROW_COUNT) *static_cast<ub4*>(attributep) = resultSetFetched;
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

sword OCIParamGet(const void* hndlp, ub4, OCIError*, void** parmdpp, ub4 pos) {
  RecordCall("OCIParamGet(" + std::to_string(pos) + ")");
  *parmdpp = hndlp == resultSet ? &cursorParams[pos - 1] : &params[pos - 1];
  return OCI_SUCCESS;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError*, ub4 position, void* valuep,
                     sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2*, ub4) {
  RecordCall("OCIDefineByPos");
  if (stmtp == resultSet && position >= 1 && position <= sizeof cursorDefines / sizeof cursorDefines[0])
    cursorDefines[position - 1] = {valuep, value_sz, dty, static_cast<sb2*>(indp), rlenp};
  *defnp = static_cast<OCIDefine*>(Handle(OCI_HTYPE_DEFINE));
  return OCI_SUCCESS;
}

// Writes row `row` of the result set into element `element` of the defined buffers.
void FillCursorRow(ub4 row, ub4 element) {
  const ScriptedRow& values = kCursorRows[row];
  const ScriptedDefine& id = cursorDefines[0];
  const ScriptedDefine& name = cursorDefines[1];
  if (id.value != nullptr && id.type == SQLT_INT && id.size == sizeof(sb4)) {
    std::memcpy(static_cast<char*>(id.value) + element * sizeof(sb4), &values.id, sizeof(sb4));
    id.indicators[element] = 0;
  }
  if (name.value != nullptr && name.type == SQLT_STR) {
    char* at = static_cast<char*>(name.value) + element * static_cast<ub4>(name.size);
    const std::size_t n =
        values.name == nullptr ? 0 : std::min<std::size_t>(std::strlen(values.name), name.size - 1);
    if (values.name != nullptr) std::memcpy(at, values.name, n);
    at[n] = 0;
    name.indicators[element] = values.name == nullptr ? -1 : 0;
    if (name.lengths != nullptr) name.lengths[element] = static_cast<ub2>(n);
  }
}

sword OCIStmtFetch(OCIStmt* stmtp, OCIError*, ub4 nrows, ub2, ub4) {
  if (stmtp == resultSet && resultSet != nullptr) {
    RecordCall("OCIStmtFetch(" + std::to_string(nrows) + "," + StatementName(stmtp) + ")");
    ub4 element = 0;
    for (; element < nrows && resultSetFetched < kCursorRowCount; ++element)
      FillCursorRow(resultSetFetched++, element);
    return element < nrows ? OCI_NO_DATA : OCI_SUCCESS;
  }
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
  cursorBind = nullptr;
  return OCI_SUCCESS;
}

sword OCIBindByName(OCIStmt*, OCIBind** bindp, OCIError*, const OraText* placeholder,
                    sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2*, ub2*,
                    ub4 maxarr_len, ub4* curelep, ub4) {
  const std::string name = Text(placeholder, placeh_len);
  std::string cursor;
  if (dty == SQLT_RSET) {
    cursorBind = valuep;
    cursor = "," + StatementName(*static_cast<OCIStmt**>(valuep));
  }
  RecordCall("OCIBindByName(" + name + "," + std::to_string(dty) + "," + std::to_string(value_sz) +
             "," + std::to_string(maxarr_len) + "," +
             (curelep != nullptr ? std::to_string(*curelep) : std::string("-")) + cursor + ")");
  if (name == ":T")
    tableT = {valuep, value_sz, dty, static_cast<sb2*>(indp), maxarr_len, curelep};
  *bindp = static_cast<OCIBind*>(Handle(OCI_HTYPE_BIND));
  return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx*, OCIStmt*, OCIError*, ub4 iters, ub4, const OCISnapshot*,
                     OCISnapshot*, ub4 mode) {
  RecordCall("OCIStmtExecute(" + std::to_string(iters) + "," + std::to_string(mode) + ")");
  if (preparedText.rfind("begin open :", 0) == 0 && cursorBind != nullptr) {
    resultSet = *static_cast<OCIStmt**>(cursorBind);
    resultSetFetched = 0;
    for (ScriptedDefine& define : cursorDefines) define = {};
  }
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

void ResetScriptedServer() {
  statementsAllocated = 0;
  instancesMade = 0;
  resultSet = nullptr;
  cursorBind = nullptr;
}

sword OCITypeByName(OCIEnv*, OCIError*, const OCISvcCtx*, const OraText* schema_name, ub4 s_length,
                    const OraText* type_name, ub4 t_length, const OraText*, ub4, OCIDuration,
                    OCITypeGetOpt, OCIType** tdo) {
  const std::string schema =
      schema_name == nullptr ? std::string() : Text(schema_name, static_cast<sb4>(s_length));
  const std::string name = Text(type_name, static_cast<sb4>(t_length));
  RecordCall("OCITypeByName(" + schema + "," + name + ")");
  for (std::size_t i = 0; i < sizeof kTypes / sizeof kTypes[0]; ++i)
    if (name == kTypes[i]) {
      *tdo = reinterpret_cast<OCIType*>(&types[i]);
      return OCI_SUCCESS;
    }
  pendingCode = 22303;
  pendingMessage = "ORA-22303: type \"" + schema + "\".\"" + name + "\" not found\n";
  return OCI_ERROR;
}

sword OCIObjectNew(OCIEnv*, OCIError*, const OCISvcCtx*, OCITypeCode typecode, OCIType* tdo, void*,
                   OCIDuration, int, void** instance) {
  RecordCall("OCIObjectNew(" + std::to_string(typecode) + "," + TypeName(tdo) + ")");
  const unsigned made = instancesMade++ % kInstances;
  instances[made] = tdo;
  *instance = &instanceCells[made];
  return OCI_SUCCESS;
}

sword OCIObjectGetInd(OCIEnv*, OCIError*, void* instance, void** null_struct) {
  RecordCall("OCIObjectGetInd(" + InstanceName(instance) + ")");
  const std::size_t at = static_cast<std::size_t>(static_cast<char*>(instance) - instanceCells);
  if (TypeName(instances[at]) == "TNOIND") {
    pendingCode = 21700;
    pendingMessage = "ORA-21700: object does not exist or is marked for delete\n";
    return OCI_ERROR;
  }
  *null_struct = &nullCells[at];
  return OCI_SUCCESS;
}

sword OCIObjectFree(OCIEnv*, OCIError*, void* instance, ub2) {
  RecordCall("OCIObjectFree(" + InstanceName(instance) + ")");
  return OCI_SUCCESS;
}

sword OCIBindObject(OCIBind*, OCIError*, const OCIType* type, void** pgvpp, ub4*, void** indpp,
                    ub4*) {
  RecordCall("OCIBindObject(" + TypeName(type) + "," +
             (pgvpp == nullptr ? std::string("-") : InstanceName(*pgvpp)) + "," +
             (indpp == nullptr ? std::string("-") : NullName(*indpp)) + ")");
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
