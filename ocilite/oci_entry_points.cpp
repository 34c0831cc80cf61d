// The release 8 and 8.1 entry points of the client interface that the engine implements.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "ocilite/database_files.h"
#include "ocilite/internal/client_buffers.h"
#include "ocilite/internal/code_page.h"
#include "ocilite/internal/extended_buffers.h"
#include "ocilite/internal/oci_handles.h"
#include "ocilite/internal/utf8_text.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

// The operating-system user an external logon names (OPS$ + this name).
std::string OsUserName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return pw->pw_name;
  if (const char* name = std::getenv("USER")) return name;
  return {};
}

EnvHandle* EnvOf(const void* parent) {
  if (auto* env = As<EnvHandle>(parent, OCI_HTYPE_ENV)) return env;
  return nullptr;
}

void GiveUserMemory(Handle* h, std::size_t size, void** usrmempp) {
  if (size > 0) h->user_memory.assign(size, 0);
  if (usrmempp) *usrmempp = size > 0 ? h->user_memory.data() : nullptr;
}

sword MakeEnv(OCIEnv** envp, ub4 mode, std::size_t xtramem_sz, void** usrmempp) {
  if (!envp) return OCI_INVALID_HANDLE;
  *envp = nullptr;
  try {
    auto env = std::make_unique<EnvHandle>(mode);
    env->nls = NlsSettings::FromEnvironment();
    GiveUserMemory(env.get(), xtramem_sz, usrmempp);
    *envp = reinterpret_cast<OCIEnv*>(static_cast<Handle*>(env.release()));
    return OCI_SUCCESS;
  } catch (...) {
    return OCI_ERROR;
  }
}

// The return code of a fetch that asked for `requested` rows.
sword FetchStatus(ErrorHandle& err, const FetchResult& r) {
  if (r.need_data) return OCI_NEED_DATA;
  if (r.end) {
    err.Record(OraError(1403));
    return OCI_NO_DATA;
  }
  if (r.null_without_indicator) {
    err.Record(OraError(1405));
    return OCI_ERROR;
  }
  if (r.truncated || r.long_truncated) {
    err.Record(OraError(24345));
    return OCI_SUCCESS_WITH_INFO;
  }
  return OCI_SUCCESS;
}

template <typename T>
void Put(void* attributep, T value) {
  if (attributep) std::memcpy(attributep, &value, sizeof value);
}

Handle* AnyHandle(const void* p, ub4 type) {
  return As<Handle>(p, type);
}

StmtHandle* StmtOf(OCIStmt* p) {
  return As<StmtHandle>(p, OCI_HTYPE_STMT);
}

std::string ClientOf(const EnvHandle* env, const std::string& utf8) {
  return env->nls.code_page->FromUtf8(utf8);
}

}  // namespace

extern "C" {

// ---- environment and handles -------------------------------------------------------------

sword OCIEnvCreate(OCIEnv** envp, ub4 mode, void*, void* (*)(void*, std::size_t),
                   void* (*)(void*, void*, std::size_t), void (*)(void*, void*),
                   std::size_t xtramem_sz, void** usrmempp) {
  return MakeEnv(envp, mode, xtramem_sz, usrmempp);
}

sword OCIInitialize(ub4, void*, void* (*)(void*, std::size_t), void* (*)(void*, void*, std::size_t),
                    void (*)(void*, void*)) {
  return OCI_SUCCESS;
}

sword OCIEnvInit(OCIEnv** envp, ub4 mode, std::size_t xtramem_sz, void** usrmempp) {
  return MakeEnv(envp, mode, xtramem_sz, usrmempp);
}

sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type,
                     const std::size_t xtramem_sz, void** usrmempp) {
  EnvHandle* env = EnvOf(parenth);
  if (!env || !hndlpp) return OCI_INVALID_HANDLE;
  Handle* h = nullptr;
  switch (type) {
    case OCI_HTYPE_ERROR:
      h = MakeChild<ErrorHandle>(env, type, env);
      break;
    case OCI_HTYPE_SVCCTX:
      h = MakeChild<SvcCtxHandle>(env, type, env);
      break;
    case OCI_HTYPE_STMT:
      h = MakeChild<StmtHandle>(env, type, env);
      break;
    case OCI_HTYPE_SERVER:
      h = MakeChild<ServerHandle>(env, type, env);
      break;
    case OCI_HTYPE_SESSION:
      h = MakeChild<SessionHandle>(env, type, env);
      break;
    case OCI_HTYPE_DESCRIBE:
    case OCI_HTYPE_TRANS:
    case OCI_HTYPE_COMPLEXOBJECT:
    case OCI_HTYPE_SECURITY:
    case OCI_HTYPE_SUBSCRIPTION:
    case OCI_HTYPE_DIRPATH_CTX:
    case OCI_HTYPE_DIRPATH_COLUMN_ARRAY:
    case OCI_HTYPE_DIRPATH_STREAM:
    case OCI_HTYPE_PROC:
      h = MakeChild<PlainHandle>(env, type, env);
      break;
    default:
      return OCI_INVALID_HANDLE;
  }
  GiveUserMemory(h, xtramem_sz, usrmempp);
  *hndlpp = h;
  return OCI_SUCCESS;
}

sword OCIHandleFree(void* hndlp, const ub4 type) {
  if (type == OCI_HTYPE_BIND || type == OCI_HTYPE_DEFINE) return OCI_INVALID_HANDLE;
  Handle* h = AnyHandle(hndlp, type);
  if (!h) return OCI_INVALID_HANDLE;
  if (type == OCI_HTYPE_ENV) {
    delete h;
  } else {
    FreeChild(h);
  }
  return OCI_SUCCESS;
}

sword OCIDescriptorAlloc(const void* parenth, void** descpp, const ub4 type,
                         const std::size_t xtramem_sz, void** usrmempp) {
  EnvHandle* env = EnvOf(parenth);
  if (!env || !descpp) return OCI_INVALID_HANDLE;
  switch (type) {
    case OCI_DTYPE_LOB:
    case OCI_DTYPE_FILE:
    case OCI_DTYPE_SNAP:
    case OCI_DTYPE_RSET:
    case OCI_DTYPE_ROWID:
    case OCI_DTYPE_COMPLEXOBJECTCOMP:
    case OCI_DTYPE_DATE:
    case OCI_DTYPE_TIMESTAMP:
    case OCI_DTYPE_TIMESTAMP_TZ:
    case OCI_DTYPE_TIMESTAMP_LTZ:
    case OCI_DTYPE_INTERVAL_YM:
    case OCI_DTYPE_INTERVAL_DS: {
      Handle* h = nullptr;
      if (type == OCI_DTYPE_LOB || type == OCI_DTYPE_FILE) {
        h = MakeChild<LobLocator>(env, type, env);
      } else if (type == OCI_DTYPE_DATE || type == OCI_DTYPE_TIMESTAMP ||
                 type == OCI_DTYPE_TIMESTAMP_TZ || type == OCI_DTYPE_TIMESTAMP_LTZ) {
        h = MakeChild<DateTimeDescriptor>(env, type, env);
      } else if (type == OCI_DTYPE_INTERVAL_YM || type == OCI_DTYPE_INTERVAL_DS) {
        h = MakeChild<IntervalDescriptor>(env, type, env);
      } else if (type == OCI_DTYPE_ROWID) {
        h = MakeChild<RowidDescriptor>(env, type, env);
      } else {
        h = MakeChild<PlainHandle>(env, type, env);
      }
      GiveUserMemory(h, xtramem_sz, usrmempp);
      *descpp = h;
      return OCI_SUCCESS;
    }
    default:
      return OCI_INVALID_HANDLE;
  }
}

sword OCIDescriptorFree(void* descp, const ub4 type) {
  Handle* h = AnyHandle(descp, type);
  if (!h) return OCI_INVALID_HANDLE;
  FreeChild(h);
  return OCI_SUCCESS;
}

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz,
                  ub4 type) {
  const std::vector<ErrorRecord>* records = nullptr;
  if (auto* err = As<ErrorHandle>(hndlp, OCI_HTYPE_ERROR); err && type == OCI_HTYPE_ERROR) {
    records = &err->records;
  } else if (auto* env = As<EnvHandle>(hndlp, OCI_HTYPE_ENV); env && type == OCI_HTYPE_ENV) {
    records = &env->records;
  } else {
    return OCI_INVALID_HANDLE;
  }
  if (recordno < 1 || recordno > records->size()) return OCI_NO_DATA;
  const ErrorRecord& r = (*records)[recordno - 1];
  if (errcodep) *errcodep = r.code;
  if (bufp && bufsiz > 0) {
    const std::string text = r.message + "\n";
    const std::size_t n = std::min<std::size_t>(text.size(), bufsiz - 1);
    std::memcpy(bufp, text.data(), n);
    bufp[n] = 0;
  }
  return OCI_SUCCESS;
}

// ---- attributes ----------------------------------------------------------------------------

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                 OCIError* errhp) {
  Handle* h = AnyHandle(trgthndlp, trghndltyp);
  if (!h) return OCI_INVALID_HANDLE;
  auto body = [&](ErrorHandle*) -> sword {
    // Descriptors number their attributes on their own: 5 is the precision of a parameter.
    if (attrtype == OCI_ATTR_ENV && trghndltyp < OCI_DTYPE_LOB) {
      Put(attributep, reinterpret_cast<OCIEnv*>(static_cast<Handle*>(h->env)));
      return OCI_SUCCESS;
    }
    switch (trghndltyp) {
      case OCI_HTYPE_STMT: {
        auto* stmt = static_cast<StmtHandle*>(h);
        const StatementRunner& r = stmt->runner;
        switch (attrtype) {
          case OCI_ATTR_ROW_COUNT:
            Put<ub4>(attributep, r.RowCount());
            return OCI_SUCCESS;
          case OCI_ATTR_ROWS_FETCHED:
            Put<ub4>(attributep, r.RowsFetched());
            return OCI_SUCCESS;
          case OCI_ATTR_SQLFNCODE:
            Put<ub2>(attributep, r.FunctionCode());
            return OCI_SUCCESS;
          case OCI_ATTR_STMT_TYPE:
            Put<ub2>(attributep, static_cast<ub2>(r.StatementType()));
            return OCI_SUCCESS;
          case OCI_ATTR_PARSE_ERROR_OFFSET:
          case OCI_ATTR_PARSE_ERROR_OFFSET_V80:
            Put<ub2>(attributep, r.ParseErrorOffset());
            return OCI_SUCCESS;
          case OCI_ATTR_PARAM_COUNT: {
            const auto* columns = stmt->described ? r.Columns() : nullptr;
            Put<ub4>(attributep, columns ? static_cast<ub4>(columns->size()) : 0);
            return OCI_SUCCESS;
          }
          case OCI_ATTR_PREFETCH_ROWS:
            Put<ub4>(attributep, stmt->prefetch_rows);
            return OCI_SUCCESS;
          case OCI_ATTR_PREFETCH_MEMORY:
            Put<ub4>(attributep, stmt->prefetch_memory);
            return OCI_SUCCESS;
          case OCI_ATTR_ROWID: {
            // The descriptor itself is passed, to be filled with the last changed row's ROWID.
            auto* rowid = As<RowidDescriptor>(attributep, OCI_DTYPE_ROWID);
            if (!rowid) throw OraError(24328);
            rowid->text = r.LastRowid();
            return OCI_SUCCESS;
          }
          case OCI_ATTR_STATEMENT:
            Put(attributep, reinterpret_cast<const OraText*>(r.ClientText().data()));
            if (sizep) *sizep = static_cast<ub4>(r.ClientText().size());
            return OCI_SUCCESS;
        }
        break;
      }
      case OCI_DTYPE_PARAM: {
        auto* p = static_cast<ParamHandle*>(h);
        const SqlType& t = p->column.type;
        switch (attrtype) {
          case OCI_ATTR_DATA_SIZE:
            Put<ub2>(attributep, p->data_size);
            return OCI_SUCCESS;
          case OCI_ATTR_DATA_TYPE:
            Put<ub2>(attributep, static_cast<ub2>(t.InternalCode()));
            return OCI_SUCCESS;
          case OCI_ATTR_DISP_SIZE:
            Put<ub2>(attributep, static_cast<ub2>(t.type == DataType::kNumber ? 40
                                                  : t.type == DataType::kDate ? 9
                                                                              : p->data_size));
            return OCI_SUCCESS;
          case OCI_ATTR_NAME:
            Put(attributep, reinterpret_cast<const OraText*>(p->client_name.data()));
            if (sizep) *sizep = static_cast<ub4>(p->client_name.size());
            return OCI_SUCCESS;
          case OCI_ATTR_PRECISION:
            Put<sb2>(attributep, static_cast<sb2>(t.type == DataType::kNumber ? t.precision : 0));
            return OCI_SUCCESS;
          case OCI_ATTR_SCALE:
            Put<sb1>(attributep, static_cast<sb1>(t.type == DataType::kNumber
                                                      ? (t.is_float ? kFloatScale : t.scale)
                                                      : 0));
            return OCI_SUCCESS;
          case OCI_ATTR_IS_NULL:
            Put<ub1>(attributep, p->column.nullable ? 1 : 0);
            return OCI_SUCCESS;
          case OCI_ATTR_CHAR_USED:
            Put<ub1>(attributep, 0);
            return OCI_SUCCESS;
          case OCI_ATTR_CHAR_SIZE:
            Put<ub2>(attributep, p->data_size);
            return OCI_SUCCESS;
          case OCI_ATTR_TYPE_NAME:
          case OCI_ATTR_SCHEMA_NAME:
            Put(attributep, reinterpret_cast<const OraText*>(""));
            if (sizep) *sizep = 0;
            return OCI_SUCCESS;
        }
        break;
      }
      case OCI_HTYPE_SVCCTX: {
        auto* svc = static_cast<SvcCtxHandle*>(h);
        switch (attrtype) {
          case OCI_ATTR_SERVER:
            Put(attributep, reinterpret_cast<OCIServer*>(static_cast<Handle*>(svc->server)));
            return OCI_SUCCESS;
          case OCI_ATTR_SESSION:
            Put(attributep, reinterpret_cast<OCISession*>(static_cast<Handle*>(svc->session)));
            return OCI_SUCCESS;
          case OCI_ATTR_TRANS:
            Put(attributep, reinterpret_cast<OCITrans*>(svc->transaction));
            return OCI_SUCCESS;
        }
        break;
      }
      case OCI_HTYPE_SESSION: {
        auto* s = static_cast<SessionHandle*>(h);
        if (attrtype == OCI_ATTR_USERNAME) {
          Put(attributep, reinterpret_cast<const OraText*>(s->username.data()));
          if (sizep) *sizep = static_cast<ub4>(s->username.size());
          return OCI_SUCCESS;
        }
        break;
      }
      case OCI_HTYPE_SERVER:
        if (attrtype == OCI_ATTR_SERVER_STATUS) {
          auto* srv = static_cast<ServerHandle*>(h);
          Put<ub4>(attributep, srv->session ? OCI_SERVER_NORMAL : OCI_SERVER_NOT_CONNECTED);
          return OCI_SUCCESS;
        }
        break;
    }
    throw OraError(24315);
  };
  if (!errhp) {
    try {
      return body(nullptr);
    } catch (...) {
      return OCI_ERROR;
    }
  }
  return WithError(errhp, [&](ErrorHandle& e) { return body(&e); });
}

sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype,
                 OCIError* errhp) {
  Handle* h = AnyHandle(trgthndlp, trghndltyp);
  if (!h) return OCI_INVALID_HANDLE;
  auto body = [&](ErrorHandle*) -> sword {
    switch (trghndltyp) {
      case OCI_HTYPE_SVCCTX: {
        auto* svc = static_cast<SvcCtxHandle*>(h);
        if (attrtype == OCI_ATTR_SERVER) {
          if (attributep && !As<ServerHandle>(attributep, OCI_HTYPE_SERVER)) throw OraError(24328);
          svc->server = static_cast<ServerHandle*>(static_cast<Handle*>(attributep));
          return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_SESSION) {
          if (attributep && !As<SessionHandle>(attributep, OCI_HTYPE_SESSION))
            throw OraError(24328);
          svc->session = static_cast<SessionHandle*>(static_cast<Handle*>(attributep));
          return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_TRANS) {
          svc->transaction = static_cast<Handle*>(attributep);
          return OCI_SUCCESS;
        }
        break;
      }
      case OCI_HTYPE_SESSION: {
        auto* s = static_cast<SessionHandle*>(h);
        const auto* text = static_cast<const char*>(attributep);
        std::string value = text ? std::string(text, size) : std::string();
        if (attrtype == OCI_ATTR_USERNAME) {
          s->username = std::move(value);
          return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_PASSWORD) {
          s->password = std::move(value);
          return OCI_SUCCESS;
        }
        break;
      }
      case OCI_HTYPE_STMT: {
        auto* stmt = static_cast<StmtHandle*>(h);
        ub4 value = 0;
        if (attributep) std::memcpy(&value, attributep, sizeof value);
        if (attrtype == OCI_ATTR_PREFETCH_ROWS) {
          stmt->prefetch_rows = value;
          return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_PREFETCH_MEMORY) {
          stmt->prefetch_memory = value;
          return OCI_SUCCESS;
        }
        break;
      }
      case OCI_HTYPE_SERVER:
        if (attrtype == OCI_ATTR_NONBLOCKING_MODE) return OCI_SUCCESS;
        break;
    }
    throw OraError(24315);
  };
  if (!errhp) {
    try {
      return body(nullptr);
    } catch (...) {
      return OCI_ERROR;
    }
  }
  return WithError(errhp, [&](ErrorHandle& e) { return body(&e); });
}

// ---- connection ----------------------------------------------------------------------------

sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len,
                      ub4) {
  auto* srv = As<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
  if (!srv) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (srv->session) throw OraError(24309);
    const std::string name = srv->env->nls.code_page->ToUtf8(TextArg(dblink, dblink_len));
    srv->session = std::make_unique<Session>(ResolveDatabase(name), srv->env->nls);
    return OCI_SUCCESS;
  });
}

sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
  auto* srv = As<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
  if (!srv) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!srv->session) throw OraError(3114);
    // Work not committed by a session end is lost with the connection.
    srv->Detach();
    return OCI_SUCCESS;
  });
}

sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  auto* usr = As<SessionHandle>(usrhp, OCI_HTYPE_SESSION);
  if (!svc || !usr) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle& err) -> sword {
    if (!svc->server || !svc->server->session) throw OraError(24327);
    if (credt != OCI_CRED_RDBMS && credt != OCI_CRED_EXT) throw OraError(24300);
    const LogonRole role = (mode & OCI_SYSDBA)    ? LogonRole::kSysdba
                           : (mode & OCI_SYSOPER) ? LogonRole::kSysoper
                                                  : LogonRole::kUser;
    const CodePage& cp = *svc->env->nls.code_page;
    int grace_days = -1;
    if (credt == OCI_CRED_EXT) {
      const std::string os_user = OsUserName();
      if (os_user.empty()) throw OraError(1017);
      grace_days = svc->server->session->Logon("OPS$" + os_user, std::nullopt, role);
    } else {
      grace_days =
          svc->server->session->Logon(cp.ToUtf8(usr->username), cp.ToUtf8(usr->password), role);
    }
    usr->server = svc->server;
    svc->session = usr;
    if (grace_days >= 0) {
      err.Record(OraError(28002, {std::to_string(grace_days)}));
      return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
  });
}

sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc) return OCI_INVALID_HANDLE;
  SessionHandle* usr = usrhp ? As<SessionHandle>(usrhp, OCI_HTYPE_SESSION) : svc->session;
  if (usrhp && !usr) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!usr || !usr->server || !usr->server->session || !usr->server->session->LoggedOn())
      throw OraError(1012);
    usr->server->session->EndSession();
    usr->server = nullptr;
    return OCI_SUCCESS;
  });
}

sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp, const OraText* username,
               ub4 uname_len, const OraText* password, ub4 passwd_len, const OraText* dbname,
               ub4 dbname_len) {
  auto* env = As<EnvHandle>(envhp, OCI_HTYPE_ENV);
  if (!env || !svchp) return OCI_INVALID_HANDLE;
  auto* svc = MakeChild<SvcCtxHandle>(env, ub4{OCI_HTYPE_SVCCTX}, env);
  svc->server = MakeChild<ServerHandle>(env, ub4{OCI_HTYPE_SERVER}, env);
  svc->session = MakeChild<SessionHandle>(env, ub4{OCI_HTYPE_SESSION}, env);
  svc->session->username = TextArg(username, static_cast<sb4>(uname_len));
  svc->session->password = TextArg(password, static_cast<sb4>(passwd_len));
  sword rc = OCIServerAttach(reinterpret_cast<OCIServer*>(static_cast<Handle*>(svc->server)), errhp,
                             dbname, static_cast<sb4>(dbname_len), OCI_DEFAULT);
  if (rc == OCI_SUCCESS)
    rc = OCISessionBegin(reinterpret_cast<OCISvcCtx*>(static_cast<Handle*>(svc)), errhp,
                         reinterpret_cast<OCISession*>(static_cast<Handle*>(svc->session)),
                         OCI_CRED_RDBMS, OCI_DEFAULT);
  if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
    FreeChild(svc->session);
    FreeChild(svc->server);
    FreeChild(svc);
    *svchp = nullptr;
    return rc;
  }
  *svchp = reinterpret_cast<OCISvcCtx*>(static_cast<Handle*>(svc));
  return rc;
}

sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (svc->server && svc->server->session && svc->server->session->LoggedOn())
      svc->server->session->EndSession();
    if (svc->session) FreeChild(svc->session);
    if (svc->server) FreeChild(svc->server);
    FreeChild(svc);
    return OCI_SUCCESS;
  });
}

sword OCIPasswordChange(OCISvcCtx* svchp, OCIError* errhp, const OraText* user_name, ub4 usernm_len,
                        const OraText* opasswd, ub4 opasswd_len, const OraText* npasswd,
                        ub4 npasswd_len, ub4 mode) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!svc->server || !svc->server->session) throw OraError(24327);
    Session& s = *svc->server->session;
    const CodePage& cp = *svc->env->nls.code_page;
    const std::string user = cp.ToUtf8(TextArg(user_name, static_cast<sb4>(usernm_len)));
    const std::string new_password = cp.ToUtf8(TextArg(npasswd, static_cast<sb4>(npasswd_len)));
    s.ChangePassword(user, cp.ToUtf8(TextArg(opasswd, static_cast<sb4>(opasswd_len))),
                     new_password);
    if ((mode & OCI_AUTH) || !s.LoggedOn()) {
      s.Logon(user, std::optional<std::string>(new_password));
      if (svc->session) {
        svc->session->server = svc->server;
        svc->session->username = TextArg(user_name, static_cast<sb4>(usernm_len));
        svc->session->password = TextArg(npasswd, static_cast<sb4>(npasswd_len));
      }
    }
    return OCI_SUCCESS;
  });
}

sword OCIServerVersion(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype) {
  ServerHandle* srv = nullptr;
  if (hndltype == OCI_HTYPE_SVCCTX) {
    auto* svc = As<SvcCtxHandle>(hndlp, OCI_HTYPE_SVCCTX);
    if (!svc) return OCI_INVALID_HANDLE;
    srv = svc->server;
  } else if (hndltype == OCI_HTYPE_SERVER) {
    srv = As<ServerHandle>(hndlp, OCI_HTYPE_SERVER);
    if (!srv) return OCI_INVALID_HANDLE;
  } else {
    return OCI_INVALID_HANDLE;
  }
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!srv || !srv->session) throw OraError(3114);
    const std::string& banner = srv->session->VersionBanner();
    if (bufp && bufsz > 0) {
      const std::size_t n = std::min<std::size_t>(banner.size(), bufsz - 1);
      std::memcpy(bufp, banner.data(), n);
      bufp[n] = 0;
    }
    return OCI_SUCCESS;
  });
}

sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    svc->Active().Commit();
    return OCI_SUCCESS;
  });
}

sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    svc->Active().Rollback();
    return OCI_SUCCESS;
  });
}

sword OCITransStart(OCISvcCtx* svchp, OCIError* errhp, uword, ub4) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc) return OCI_INVALID_HANDLE;
  // Transactions begin by themselves with the first change.
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    svc->Active();
    return OCI_SUCCESS;
  });
}

sword OCIRowidToChar(OCIRowid* rowidDesc, OraText* outbfp, ub2* outbflp, OCIError* errhp) {
  auto* rowid = As<RowidDescriptor>(rowidDesc, OCI_DTYPE_ROWID);
  if (!rowid || !outbflp) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (rowid->text.empty()) throw OraError(1410);
    const ub2 size = *outbflp;
    *outbflp = static_cast<ub2>(rowid->text.size());
    // Too small a buffer takes nothing; the length says what it needs.
    if (!outbfp || size < rowid->text.size()) throw OraError(1406);
    std::memcpy(outbfp, rowid->text.data(), rowid->text.size());
    return OCI_SUCCESS;
  });
}

sword OCICacheFree(OCIEnv* env, OCIError* err, const OCISvcCtx*) {
  if (!As<EnvHandle>(env, OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
  // The engine keeps no object cache, so there is never an object to free.
  return WithError(err, [](ErrorHandle&) -> sword { return OCI_SUCCESS; });
}

sword OCIBreak(void* hndlp, OCIError*) {
  return hndlp ? OCI_SUCCESS : OCI_INVALID_HANDLE;
}

sword OCIReset(void* hndlp, OCIError*) {
  return hndlp ? OCI_SUCCESS : OCI_INVALID_HANDLE;
}

// ---- statements ----------------------------------------------------------------------------

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4, ub4) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    s->runner.Prepare(TextArg(stmt, static_cast<sb4>(stmt_len)), *s->env->nls.code_page);
    s->described = false;
    s->executed = false;
    return OCI_SUCCESS;
  });
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot*, OCISnapshot*, ub4 mode) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  StmtHandle* s = StmtOf(stmtp);
  if (!svc || !s) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle& err) -> sword {
    Session& session = svc->Active();
    if (!s->runner.Prepared()) throw OraError(24337);
    s->described = false;
    s->executed = false;
    if (mode & (OCI_DESCRIBE_ONLY | OCI_PARSE_ONLY)) {
      s->runner.Compile(session);
      s->described = s->runner.IsQuery();
      return OCI_SUCCESS;
    }
    const FetchResult r = s->runner.Execute(session, iters, rowoff);
    s->described = s->runner.IsQuery();
    s->executed = true;
    if (mode & OCI_COMMIT_ON_SUCCESS) session.Commit();
    if (s->runner.IsQuery() && iters > 0) return FetchStatus(err, r);
    return OCI_SUCCESS;
  });
}

sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle& err) -> sword {
    if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT) throw OraError(3001);
    if (!s->executed) throw OraError(24338);
    if (!s->runner.IsQuery()) throw OraError(1002);
    if (nrows == 0) {
      s->runner.Cancel();
      return OCI_SUCCESS;
    }
    return FetchStatus(err, s->runner.Fetch(nrows));
  });
}

sword OCIStmtGetPieceInfo(OCIStmt* stmtp, OCIError* errhp, void** hndlpp, ub4* typep, ub1* in_outp,
                          ub4* iterp, ub4* idxp, ub1* piecep) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    const std::optional<PieceRequest> request = s->runner.PendingPiece();
    if (!request) throw OraError(1002);
    if (hndlpp) *hndlpp = request->define;
    if (typep) *typep = OCI_HTYPE_DEFINE;
    if (in_outp) *in_outp = OCI_PARAM_OUT;
    if (iterp) *iterp = request->iteration;
    if (idxp) *idxp = 0;
    if (piecep) *piecep = request->piece;
    return OCI_SUCCESS;
  });
}

sword OCIStmtSetPieceInfo(void* hndlp, ub4 type, OCIError* errhp, const void* bufp, ub4* alenp,
                          ub1, const void* indp, ub2* rcodep) {
  // Binds take no pieces here (OCI_DATA_AT_EXEC is refused), so only a define can be waited for.
  auto* define = type == OCI_HTYPE_DEFINE ? As<DefineHandle>(hndlp, OCI_HTYPE_DEFINE) : nullptr;
  if (!define && !(type == OCI_HTYPE_BIND && As<BindHandle>(hndlp, OCI_HTYPE_BIND)))
    return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    const auto request = define ? define->stmt->runner.PendingPiece() : std::nullopt;
    if (!request || request->define != hndlp) throw OraError(1002);
    define->stmt->runner.SetPieceBuffer(const_cast<void*>(bufp), alenp,
                                        static_cast<sb2*>(const_cast<void*>(indp)), rcodep);
    return OCI_SUCCESS;
  });
}

sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4, ub4 mode) {
  return OCIStmtFetch(stmtp, errhp, nrows, orientation, mode);
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
  if (htype != OCI_HTYPE_STMT) return OCI_INVALID_HANDLE;
  auto* s = As<StmtHandle>(hndlp, OCI_HTYPE_STMT);
  if (!s || !parmdpp) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    const auto* columns = s->described ? s->runner.Columns() : nullptr;
    if (!columns || pos < 1 || pos > columns->size()) throw OraError(24334);
    auto* p = MakeChild<ParamHandle>(s->env, s->env, s);
    p->column = (*columns)[pos - 1];
    p->client_name = ClientOf(s->env, p->column.name);
    p->data_size = static_cast<ub2>(p->column.type.DataSize());
    s->params.push_back(p);
    *parmdpp = p;
    return OCI_SUCCESS;
  });
}

// ---- binds and defines ---------------------------------------------------------------------

namespace {

sword Bind(StmtHandle* s, OCIBind** bindp, OCIError* errhp, std::string name, ub4 position,
           void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub4 mode) {
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!(IsSupportedExternalType(dty) || IsExtendedExternalType(dty)) ||
        (mode & OCI_DATA_AT_EXEC))
      throw OraError(3001);
    BindSpec bind;
    bind.name = std::move(name);
    bind.position = position;
    bind.value = valuep;
    bind.size = value_sz;
    bind.dty = dty;
    bind.ind = static_cast<const sb2*>(indp);
    bind.alen = alenp;
    if (IsDescriptorExternalType(dty)) bind.value_skip = static_cast<ub4>(sizeof(void*));
    auto& list = s->runner.binds;
    auto same = [&](const BindSpec& b) {
      return bind.name.empty() ? (b.name.empty() && b.position == position) : b.name == bind.name;
    };
    auto it = std::find_if(list.begin(), list.end(), same);
    std::size_t index;
    if (it == list.end()) {
      list.push_back(bind);
      index = list.size() - 1;
      s->binds.push_back(std::make_unique<BindHandle>(s->env, s, index));
    } else {
      index = static_cast<std::size_t>(it - list.begin());
      auto type_of = [](ub2 t, sb4 size) {
        return IsExtendedExternalType(t) ? ExtendedBindType(t, size) : BindType(t, size);
      };
      if (type_of(it->dty, it->size).type != type_of(dty, value_sz).type ||
          type_of(it->dty, it->size).length != type_of(dty, value_sz).length)
        s->runner.Recompile();
      *it = bind;
    }
    if (bindp) {
      for (const auto& h : s->binds)
        if (h->index == index) *bindp = reinterpret_cast<OCIBind*>(static_cast<Handle*>(h.get()));
    }
    return OCI_SUCCESS;
  });
}

// Fills the client's locators of a LOB define, one per row.
std::function<void(void*, const Value*, const SqlType&)> LocatorStore(ub2 dty) {
  const SqlType wanted{dty == SQLT_CLOB   ? DataType::kClob
                       : dty == SQLT_BLOB ? DataType::kBlob
                                          : DataType::kBfile};
  const ub4 descriptor = dty == SQLT_BFILE ? OCI_DTYPE_FILE : OCI_DTYPE_LOB;
  return [wanted, descriptor](void* slot, const Value* value, const SqlType& type) {
    if (type.type != wanted.type)
      throw OraError(932, {wanted.DictionaryName(), type.DictionaryName()});
    void* address = nullptr;
    if (slot) std::memcpy(&address, slot, sizeof address);
    auto* lob = As<LobLocator>(address, descriptor);
    if (!lob) throw OraError(22275);
    lob->initialized = value != nullptr;
    lob->kind = wanted.type;
    lob->content = value ? value->s : std::string();
    lob->open_path.clear();
    lob->opened = false;
    lob->pending.clear();
    lob->polling = false;
  };
}

}  // namespace

sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, const OraText* placeholder,
                    sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                    ub2*, ub4, ub4*, ub4 mode) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  std::string name = s->env->nls.code_page->ToUtf8(TextArg(placeholder, placeh_len));
  if (!name.empty() && name[0] == ':') name.erase(0, 1);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    name = name.substr(1, name.size() - 2);
  } else {
    name = Utf8Upper(name);
  }
  if (name.empty()) return WithError(errhp, [](ErrorHandle&) -> sword { throw OraError(1036); });
  return Bind(s, bindp, errhp, std::move(name), 0, valuep, value_sz, dty, indp, alenp, mode);
}

sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position, void* valuep,
                   sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2*, ub4, ub4*, ub4 mode) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  if (position == 0) return WithError(errhp, [](ErrorHandle&) -> sword { throw OraError(1036); });
  return Bind(s, bindp, errhp, {}, position, valuep, value_sz, dty, indp, alenp, mode);
}

sword OCIBindArrayOfStruct(OCIBind* bindp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 alskip,
                           ub4) {
  auto* b = As<BindHandle>(bindp, OCI_HTYPE_BIND);
  if (!b) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    BindSpec& bind = b->stmt->runner.binds.at(b->index);
    bind.value_skip = pvskip;
    bind.ind_skip = indskip;
    bind.alen_skip = alskip;
    return OCI_SUCCESS;
  });
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position, void* valuep,
                     sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (position == 0) throw OraError(24334);
    const bool lob = dty == SQLT_CLOB || dty == SQLT_BLOB || dty == SQLT_BFILE;
    if (!IsSupportedExternalType(dty) && !IsExtendedExternalType(dty) && !lob)
      throw OraError(3001);
    DefineSpec& d = s->runner.Define(position);
    DefineHandle* handle = nullptr;
    for (const auto& h : s->defines)
      if (h->position == position) handle = h.get();
    if (!handle) {
      s->defines.push_back(std::make_unique<DefineHandle>(s->env, s, position));
      handle = s->defines.back().get();
    }
    d = DefineSpec{};
    d.value = valuep;
    d.size = value_sz;
    d.dty = dty;
    d.ind = static_cast<sb2*>(indp);
    d.rlen = rlenp;
    d.rcode = rcodep;
    // Descriptors come as an array of their addresses, whatever size the client gives.
    d.value_skip = lob || IsDescriptorExternalType(dty) ? static_cast<ub4>(sizeof(void*))
                   : value_sz > 0                       ? static_cast<ub4>(value_sz)
                                                        : 0;
    d.dynamic = (mode & OCI_DYNAMIC_FETCH) != 0;
    d.handle = reinterpret_cast<OCIDefine*>(static_cast<Handle*>(handle));
    if (lob) d.store_locator = LocatorStore(dty);
    d.defined = true;
    if (defnp) *defnp = d.handle;
    return OCI_SUCCESS;
  });
}

sword OCIDefineDynamic(OCIDefine* defnp, OCIError* errhp, void* octxp, OCICallbackDefine ocbfp) {
  auto* h = As<DefineHandle>(defnp, OCI_HTYPE_DEFINE);
  if (!h) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    DefineSpec& d = h->stmt->runner.Define(h->position);
    d.callback_context = octxp;
    d.callback = ocbfp;
    return OCI_SUCCESS;
  });
}

sword OCIDefineArrayOfStruct(OCIDefine* defnp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 rlskip,
                             ub4 rcskip) {
  auto* h = As<DefineHandle>(defnp, OCI_HTYPE_DEFINE);
  if (!h) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    DefineSpec& d = h->stmt->runner.Define(h->position);
    d.value_skip = pvskip;
    d.ind_skip = indskip;
    d.rlen_skip = rlskip;
    d.rcode_skip = rcskip;
    return OCI_SUCCESS;
  });
}

}  // extern "C"
