#include "ocilite/testing/oci_test_client.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

namespace qm::ocilite::testing {

OciLibrary::OciLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW)) {
  if (!handle_) throw std::runtime_error(dlerror());
  EnvCreate = reinterpret_cast<OCIEnvCreate_t>(Symbol("OCIEnvCreate"));
  HandleAlloc = reinterpret_cast<OCIHandleAlloc_t>(Symbol("OCIHandleAlloc"));
  HandleFree = reinterpret_cast<OCIHandleFree_t>(Symbol("OCIHandleFree"));
  DescriptorFree = reinterpret_cast<OCIDescriptorFree_t>(Symbol("OCIDescriptorFree"));
  ErrorGet = reinterpret_cast<OCIErrorGet_t>(Symbol("OCIErrorGet"));
  AttrSet = reinterpret_cast<OCIAttrSet_t>(Symbol("OCIAttrSet"));
  AttrGet = reinterpret_cast<OCIAttrGet_t>(Symbol("OCIAttrGet"));
  ServerAttach = reinterpret_cast<OCIServerAttach_t>(Symbol("OCIServerAttach"));
  ServerDetach = reinterpret_cast<OCIServerDetach_t>(Symbol("OCIServerDetach"));
  SessionBegin = reinterpret_cast<OCISessionBegin_t>(Symbol("OCISessionBegin"));
  SessionEnd = reinterpret_cast<OCISessionEnd_t>(Symbol("OCISessionEnd"));
  ServerVersion = reinterpret_cast<OCIServerVersion_t>(Symbol("OCIServerVersion"));
  TransCommit = reinterpret_cast<OCITransCommit_t>(Symbol("OCITransCommit"));
  TransRollback = reinterpret_cast<OCITransRollback_t>(Symbol("OCITransRollback"));
  StmtPrepare = reinterpret_cast<OCIStmtPrepare_t>(Symbol("OCIStmtPrepare"));
  StmtExecute = reinterpret_cast<OCIStmtExecute_t>(Symbol("OCIStmtExecute"));
  StmtFetch = reinterpret_cast<OCIStmtFetch_t>(Symbol("OCIStmtFetch"));
  ParamGet = reinterpret_cast<OCIParamGet_t>(Symbol("OCIParamGet"));
  DefineByPos = reinterpret_cast<OCIDefineByPos_t>(Symbol("OCIDefineByPos"));
  DefineDynamic = reinterpret_cast<OCIDefineDynamic_t>(Symbol("OCIDefineDynamic"));
  BindByName = reinterpret_cast<OCIBindByName_t>(Symbol("OCIBindByName"));
}

OciLibrary::~OciLibrary() {
  dlclose(handle_);
}

void* OciLibrary::Symbol(const char* name) const {
  return dlsym(handle_, name);
}

OciLibrary& Library() {
  static OciLibrary library(OCILITE_LIBRARY);
  return library;
}

namespace {

OCIStmt* NewStatement(OciConnection& c, const std::string& sql) {
  OciLibrary& lib = Library();
  void* stmt = nullptr;
  lib.HandleAlloc(c.env, &stmt, OCI_HTYPE_STMT, 0, nullptr);
  lib.StmtPrepare(static_cast<OCIStmt*>(stmt), c.err, reinterpret_cast<const OraText*>(sql.data()),
                  static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
  return static_cast<OCIStmt*>(stmt);
}

struct LongValue {
  std::string data;
  std::vector<char> piece;
  ub4 length = 0;
  sb2 ind = 0;
  ub2 rcode = 0;
};

// Appends each piece the library writes, as the application's callback does.
sb4 CollectPiece(void* ctx, OCIDefine*, ub4, void** bufpp, ub4** alenp, ub1*, void** indp,
                 ub2** rcodep) {
  auto* v = static_cast<LongValue*>(ctx);
  v->data.append(v->piece.data(), v->length);
  v->piece.assign(7, 0);  // small pieces, so that long values come in several parts
  v->length = static_cast<ub4>(v->piece.size());
  *bufpp = v->piece.data();
  *alenp = &v->length;
  *indp = &v->ind;
  *rcodep = &v->rcode;
  return OCI_CONTINUE;
}

}  // namespace

OciConnection::OciConnection(const std::string& user, const std::string& password,
                             const std::string& database) {
  OciLibrary& lib = Library();
  if (lib.EnvCreate(&env, OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) !=
      OCI_SUCCESS)
    throw std::runtime_error("OCIEnvCreate failed");
  void* h = nullptr;
  lib.HandleAlloc(env, &h, OCI_HTYPE_ERROR, 0, nullptr);
  err = static_cast<OCIError*>(h);
  lib.HandleAlloc(env, &h, OCI_HTYPE_SERVER, 0, nullptr);
  server = static_cast<OCIServer*>(h);
  lib.HandleAlloc(env, &h, OCI_HTYPE_SVCCTX, 0, nullptr);
  svc = static_cast<OCISvcCtx*>(h);
  lib.HandleAlloc(env, &h, OCI_HTYPE_SESSION, 0, nullptr);
  session = static_cast<OCISession*>(h);
  if (lib.ServerAttach(server, err, reinterpret_cast<const OraText*>(database.data()),
                       static_cast<sb4>(database.size()), OCI_DEFAULT) != OCI_SUCCESS) {
    const std::string text = LastError();
    lib.HandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    throw std::runtime_error(text);
  }
  attached_ = true;
  lib.AttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
  lib.AttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
  lib.AttrSet(session, OCI_HTYPE_SESSION, const_cast<char*>(user.data()),
              static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, err);
  lib.AttrSet(session, OCI_HTYPE_SESSION, const_cast<char*>(password.data()),
              static_cast<ub4>(password.size()), OCI_ATTR_PASSWORD, err);
  const sword rc = lib.SessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT);
  if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
    const std::string text = LastError();
    lib.HandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    throw std::runtime_error(text);
  }
  begun_ = true;
}

OciConnection::~OciConnection() {
  if (!env) return;
  OciLibrary& lib = Library();
  if (begun_) lib.SessionEnd(svc, err, session, OCI_DEFAULT);
  if (attached_) lib.ServerDetach(server, err, OCI_DEFAULT);
  lib.HandleFree(env, OCI_HTYPE_ENV);
}

std::string OciConnection::LastError() {
  char text[1024] = {};
  sb4 code = 0;
  if (Library().ErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text,
                         OCI_HTYPE_ERROR) != OCI_SUCCESS)
    return {};
  std::string s(text);
  if (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

sb4 OciConnection::LastCode() {
  sb4 code = 0;
  Library().ErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
  return code;
}

std::string OciConnection::Exec(const std::string& sql) {
  OciLibrary& lib = Library();
  OCIStmt* stmt = NewStatement(*this, sql);
  const sword rc = lib.StmtExecute(svc, stmt, err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
  std::string result = rc == OCI_SUCCESS ? "" : LastError();
  lib.HandleFree(stmt, OCI_HTYPE_STMT);
  return result;
}

Rows OciConnection::Query(const std::string& sql, ub4 batch) {
  OciLibrary& lib = Library();
  OCIStmt* stmt = NewStatement(*this, sql);
  struct Freer {
    OCIStmt* s;
    ~Freer() { Library().HandleFree(s, OCI_HTYPE_STMT); }
  } freer{stmt};
  if (lib.StmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, OCI_DEFAULT) != OCI_SUCCESS)
    throw std::runtime_error(LastError());
  ub4 count = 0;
  lib.AttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err);
  Rows rows;
  struct Column {
    ub2 type = 0;
    std::vector<char> buffer;
    std::vector<sb2> ind;
    std::vector<ub2> len;
    LongValue long_value;
  };
  std::vector<Column> columns(count);
  bool has_long = false;
  for (ub4 i = 0; i < count; ++i) {
    void* param = nullptr;
    lib.ParamGet(stmt, OCI_HTYPE_STMT, err, &param, i + 1);
    OraText* name = nullptr;
    ub4 name_len = 0;
    lib.AttrGet(param, OCI_DTYPE_PARAM, &name, &name_len, OCI_ATTR_NAME, err);
    rows.names.emplace_back(reinterpret_cast<char*>(name), name_len);
    lib.AttrGet(param, OCI_DTYPE_PARAM, &columns[i].type, nullptr, OCI_ATTR_DATA_TYPE, err);
    lib.DescriptorFree(param, OCI_DTYPE_PARAM);
    has_long |= columns[i].type == SQLT_LNG;
  }
  if (has_long) batch = 1;
  for (ub4 i = 0; i < count; ++i) {
    Column& c = columns[i];
    c.ind.resize(batch);
    c.len.resize(batch);
    OCIDefine* define = nullptr;
    if (c.type == SQLT_LNG) {
      lib.DefineByPos(stmt, &define, err, i + 1, nullptr, 2147483647, SQLT_LNG, c.ind.data(),
                      nullptr, nullptr, OCI_DYNAMIC_FETCH);
      lib.DefineDynamic(define, err, &c.long_value, CollectPiece);
    } else {
      c.buffer.resize(4001 * batch);
      lib.DefineByPos(stmt, &define, err, i + 1, c.buffer.data(), 4001, SQLT_STR, c.ind.data(),
                      c.len.data(), nullptr, OCI_DEFAULT);
    }
  }
  for (;;) {
    ub4 before = 0, after = 0;
    lib.AttrGet(stmt, OCI_HTYPE_STMT, &before, nullptr, OCI_ATTR_ROW_COUNT, err);
    for (Column& c : columns) c.long_value = LongValue{};
    const sword rc = lib.StmtFetch(stmt, err, batch, OCI_FETCH_NEXT, OCI_DEFAULT);
    if (rc != OCI_SUCCESS && rc != OCI_NO_DATA) throw std::runtime_error(LastError());
    lib.AttrGet(stmt, OCI_HTYPE_STMT, &after, nullptr, OCI_ATTR_ROW_COUNT, err);
    for (ub4 r = 0; r < after - before; ++r) {
      std::vector<std::string> row;
      for (Column& c : columns) {
        if (c.type == SQLT_LNG) {
          LongValue& v = c.long_value;
          v.data.append(v.piece.data(), std::min<std::size_t>(v.length, v.piece.size()));
          row.push_back(c.ind[r] == -1 ? "<null>" : v.data);
        } else {
          row.push_back(c.ind[r] == -1 ? "<null>" : std::string(&c.buffer[4001 * r]));
        }
      }
      rows.values.push_back(std::move(row));
    }
    if (rc == OCI_NO_DATA) break;
  }
  return rows;
}

std::string OciConnection::ErrorOf(const std::string& sql) {
  const auto first = sql.find_first_not_of(" (");
  if (first != std::string::npos &&
      (sql.compare(first, 6, "select") == 0 || sql.compare(first, 6, "SELECT") == 0)) {
    try {
      Query(sql);
      return "";
    } catch (const std::runtime_error& e) {
      return e.what();
    }
  }
  return Exec(sql);
}

void OciConnection::Commit() {
  Library().TransCommit(svc, err, OCI_DEFAULT);
}
void OciConnection::Rollback() {
  Library().TransRollback(svc, err, OCI_DEFAULT);
}

void OciConnection::EndSession() {
  Library().SessionEnd(svc, err, session, OCI_DEFAULT);
  begun_ = false;
}

void OciConnection::Detach() {
  Library().ServerDetach(server, err, OCI_DEFAULT);
  attached_ = false;
  begun_ = false;
}

}  // namespace qm::ocilite::testing
