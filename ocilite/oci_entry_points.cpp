// The release 8 and 8.1 entry points of the client interface that the engine implements: the
// environment, handles and descriptors, errors and attributes. Connections and transactions are
// in oci_connection_entry_points.cpp, statements, binds and defines in
// oci_statement_entry_points.cpp.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <algorithm>
#include <cstring>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/oci_handles.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

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

template <typename T>
void Put(void* attributep, T value) {
  if (attributep) std::memcpy(attributep, &value, sizeof value);
}

Handle* AnyHandle(const void* p, ub4 type) {
  return As<Handle>(p, type);
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
      h = AllocStatement(env);
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
  } else if (type == OCI_HTYPE_STMT) {
    FreeStatement(static_cast<StmtHandle*>(h));
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

}  // extern "C"
