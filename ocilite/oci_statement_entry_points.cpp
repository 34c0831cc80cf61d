// The statement calls of the release 8 interface: preparing, executing and fetching (with the
// polled pieces of dynamic defines), the select list's parameters, and binds and defines.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <algorithm>
#include <cstring>
#include <functional>

#include "ocilite/internal/client_buffers.h"
#include "ocilite/internal/code_page.h"
#include "ocilite/internal/extended_buffers.h"
#include "ocilite/internal/oci_handles.h"
#include "ocilite/internal/utf8_text.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

// The return code of a fetch that asked for `requested` rows.
sword FetchStatus(ErrorHandle& err, const FetchResult& r) {
  if (r.need_data) return OCI_NEED_DATA;
  if (r.end) {
    // Every result set ends with it: its text is made once.
    static const OraError no_data(1403);
    err.Record(no_data);
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

StmtHandle* StmtOf(OCIStmt* p) {
  return As<StmtHandle>(p, OCI_HTYPE_STMT);
}

std::string ClientOf(const EnvHandle* env, const std::string& utf8) {
  return env->nls.code_page->FromUtf8(utf8);
}

}  // namespace

extern "C" {

// ---- statements ----------------------------------------------------------------------------

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4, ub4) {
  StmtHandle* s = StmtOf(stmtp);
  if (!s) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    s->runner.Prepare(TextView(stmt, static_cast<sb4>(stmt_len)), *s->env->nls.code_page);
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
    if (s->defines.size() < position) s->defines.resize(position);
    std::unique_ptr<DefineHandle>& slot = s->defines[position - 1];
    if (!slot) slot = std::make_unique<DefineHandle>(s->env, s, position);
    DefineHandle* handle = slot.get();
    // Field by field rather than from a fresh DefineSpec: a client defines every column again
    // for each execution, and clearing a whole temporary first cost more than the rest of the call.
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
    d.ind_skip = sizeof(sb2);
    d.rlen_skip = sizeof(ub2);
    d.rcode_skip = sizeof(ub2);
    d.dynamic = (mode & OCI_DYNAMIC_FETCH) != 0;
    d.callback_context = nullptr;
    d.callback = nullptr;
    d.handle = reinterpret_cast<OCIDefine*>(static_cast<Handle*>(handle));
    if (lob)
      d.store_locator = LocatorStore(dty);
    else if (d.store_locator)
      d.store_locator = nullptr;
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
