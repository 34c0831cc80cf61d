// The release 7 entry points: logon and cursor data areas over the same sessions and statements
// as the release 8 handles, and the switch between the two (OCISvcCtxToLda, OCILdaToSvcCtx).
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <cstring>
#include <mutex>
#include <set>

#include "ocilite/database_files.h"
#include "ocilite/internal/client_buffers.h"
#include "ocilite/internal/code_page.h"
#include "ocilite/internal/oci7_state.h"
#include "ocilite/internal/oci_handles.h"
#include "ocilite/internal/sql_parser.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::set<const void*>& Live() {
  static std::set<const void*> live;
  return live;
}
void Register(const void* p) {
  std::lock_guard lock(Mutex());
  Live().insert(p);
}
void Unregister(const void* p) {
  std::lock_guard lock(Mutex());
  Live().erase(p);
}
bool IsLiveArea(const void* p) {
  std::lock_guard lock(Mutex());
  return p && Live().count(p);
}

LdaConnection* ConnectionOf(Lda_Def* lda) {
  if (!lda || !IsLiveArea(lda->rcsp)) return nullptr;
  auto* c = static_cast<LdaConnection*>(lda->rcsp);
  return c;
}

CdaCursor* CursorOf(Cda_Def* cda) {
  if (!cda || !IsLiveArea(cda->rcsp)) return nullptr;
  auto* c = static_cast<CdaCursor*>(cda->rcsp);
  return c->connection ? c : nullptr;
}

// Records the outcome of a call in the data area and answers the old-style return code.
sword Finish(cda_def* area, ub1 function, LdaConnection* conn, int code, std::string message) {
  area->fc = function;
  area->rc = static_cast<ub2>(code);
  area->v2_rc = static_cast<sb2>(code == 0 ? 0 : code == 1403 ? 4 : -1);
  if (code != 0 && conn) {
    conn->last_code = code;
    conn->last_message = std::move(message);
  }
  return area->v2_rc;
}

template <typename Body>
sword Run(cda_def* area, ub1 function, LdaConnection* conn, Body&& body) {
  try {
    return Finish(area, function, conn, body(), {});
  } catch (const OraError& e) {
    const CodePage* cp = conn ? conn->code_page : nullptr;
    return Finish(area, function, conn, e.Code(), cp ? cp->FromUtf8(e.what()) : e.what());
  } catch (const std::exception& e) {
    OraError internal(600, {"ocilite", e.what()});
    return Finish(area, function, conn, 600, internal.what());
  }
}

sword Logon(Lda_Def* lda, std::string user, std::string password, std::string database) {
  if (!lda) return -1;
  lda->rcsp = nullptr;
  if (password.empty()) {
    if (const auto slash = user.find('/'); slash != std::string::npos) {
      password = user.substr(slash + 1);
      user.resize(slash);
    }
  }
  for (std::string* part : {&password, &user}) {
    if (const auto at = part->find('@'); at != std::string::npos) {
      if (database.empty()) database = part->substr(at + 1);
      part->resize(at);
    }
  }
  return Run(lda, 0, nullptr, [&] {
    auto conn = std::make_unique<LdaConnection>();
    const NlsSettings nls = NlsSettings::FromEnvironment();
    conn->code_page = nls.code_page;
    conn->owned = std::make_unique<Session>(ResolveDatabase(nls.code_page->ToUtf8(database)), nls);
    conn->owned->Logon(nls.code_page->ToUtf8(user), nls.code_page->ToUtf8(password));
    conn->session = conn->owned.get();
    Register(conn.get());
    lda->rcsp = conn.release();
    return 0;
  });
}

void SetFunctionType(Cda_Def* cursor, CdaCursor* c, ub2 fallback) {
  cursor->ft = c->runner.FunctionCode() ? c->runner.FunctionCode() : fallback;
}

}  // namespace

namespace qm::ocilite::oci {

void ReleaseLda(LdaConnection* lda) {
  if (!lda) return;
  for (CdaCursor* c : lda->cursors) {
    Unregister(c);
    delete c;
  }
  Unregister(lda);
  delete lda;
}

}  // namespace qm::ocilite::oci

extern "C" {

sword opinit(ub4) {
  return 0;
}

sword olog(Lda_Def* lda, ub1*, OraText* uid, sword uidl, OraText* pswd, sword pswdl, OraText* conn,
           sword connl, ub4) {
  return Logon(lda, TextArg(uid, uidl), TextArg(pswd, pswdl), TextArg(conn, connl));
}

sword orlon(Lda_Def* lda, ub1*, OraText* uid, sword uidl, OraText* pswd, sword pswdl, sword) {
  return Logon(lda, TextArg(uid, uidl), TextArg(pswd, pswdl), {});
}

sword ologof(Lda_Def* lda) {
  LdaConnection* conn = ConnectionOf(lda);
  if (!conn) return -1;
  const sword rc = Run(lda, 0, conn, [&] {
    conn->session->EndSession();
    return 0;
  });
  lda->rcsp = nullptr;
  ReleaseLda(conn);
  return rc;
}

sword oerhms(Lda_Def* lda, sb2 rcode, OraText* buf, sword bufsiz) {
  LdaConnection* conn = ConnectionOf(lda);
  std::string text;
  if (conn && conn->last_code == rcode && !conn->last_message.empty()) {
    text = conn->last_message;
  } else {
    std::string pattern(OraErrorText(rcode));
    for (auto pos = pattern.find("%s"); pos != std::string::npos; pos = pattern.find("%s"))
      pattern.erase(pos, 2);
    text = FormatOraMessage(rcode, pattern);
  }
  text += '\n';
  if (!buf || bufsiz <= 0) return 0;
  const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(bufsiz) - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = 0;
  return static_cast<sword>(n);
}

sword oopen(Cda_Def* cursor, Lda_Def* lda, OraText*, sword, sword, OraText*, sword) {
  LdaConnection* conn = ConnectionOf(lda);
  if (!cursor) return -1;
  if (!conn) return Finish(cursor, OCI7_FC_OOPEN, nullptr, 1012, {});
  auto* c = new CdaCursor;
  c->connection = conn;
  conn->cursors.insert(c);
  Register(c);
  cursor->rcsp = c;
  cursor->rpc = 0;
  cursor->peo = 0;
  cursor->ft = 0;
  return Finish(cursor, OCI7_FC_OOPEN, conn, 0, {});
}

sword oclose(Cda_Def* cursor) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  c->connection->cursors.erase(c);
  Unregister(c);
  delete c;
  cursor->rcsp = nullptr;
  return Finish(cursor, OCI7_FC_OCLOSE, nullptr, 0, {});
}

// The language flag (0 version 6, 1 the server's own, 2 Oracle7) changes nothing here: the engine
// has the one behaviour of the release it presents.
sword oparse(Cda_Def* cursor, OraText* sqlstm, sb4 sqllen, sword defflg, ub4) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  LdaConnection* conn = c->connection;
  return Run(cursor, OCI7_FC_OPARSE, conn, [&] {
    c->deferred_error.reset();
    c->ran_at_parse = false;
    c->runner.Prepare(TextArg(sqlstm, sqllen), *conn->code_page);
    cursor->peo = 0;
    cursor->rpc = 0;
    static constexpr ub2 kCodes[] = {0, 4, 5, 9, 3, 1, 8, 26, 34, 34};
    const int type = c->runner.StatementType();
    const ub2 fallback = type >= 0 && type <= 9 ? kCodes[type] : 0;
    try {
      c->runner.Compile(*conn->session);
    } catch (const OraError& e) {
      cursor->peo = c->runner.ParseErrorOffset();
      SetFunctionType(cursor, c, fallback);
      if (e.Code() == 1008) return 0;  // placeholders are bound after the parse
      if (defflg) {
        c->deferred_error = std::make_unique<OraError>(e);
        return 0;
      }
      throw;
    }
    cursor->ft = static_cast<ub2>(c->runner.FunctionCode() ? c->runner.FunctionCode() : fallback);
    // A parse that is not deferred runs a definition statement there and then, as the server
    // does; executing the cursor afterwards does not run it again.
    if (!defflg && c->runner.IsDefinition()) {
      c->runner.Execute(*conn->session, 1, 0);
      c->ran_at_parse = true;
    }
    return 0;
  });
}

sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl,
             sb4* dsize, sb2* prec, sb2* scale, sb2* nullok) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  return Run(cursor, OCI7_FC_ODESCR, c->connection, [&] {
    if (c->deferred_error) throw *c->deferred_error;
    c->runner.Compile(*c->connection->session);
    const auto* columns = c->runner.Columns();
    if (!columns || pos < 1 || static_cast<std::size_t>(pos) > columns->size()) return 1007;
    const ResultColumn& col = (*columns)[pos - 1];
    const SqlType& t = col.type;
    if (dbsize) *dbsize = t.DataSize();
    if (dbtype) *dbtype = static_cast<sb2>(t.InternalCode());
    if (cbuf && cbufl) {
      const std::string name = c->connection->code_page->FromUtf8(col.name);
      const std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(*cbufl));
      std::memcpy(cbuf, name.data(), n);
      *cbufl = static_cast<sb4>(n);
    }
    if (dsize)
      *dsize = t.type == DataType::kNumber ? 40 : t.type == DataType::kDate ? 9 : t.DataSize();
    if (prec) *prec = static_cast<sb2>(t.type == DataType::kNumber ? t.precision : 0);
    if (scale)
      *scale =
          static_cast<sb2>(t.type == DataType::kNumber ? (t.is_float ? kFloatScale : t.scale) : 0);
    if (nullok) *nullok = col.nullable ? 1 : 0;
    return 0;
  });
}

sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword, sb2* indp,
             OraText*, sword, sword, ub2* rlen, ub2* rcode) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  return Run(cursor, OCI7_FC_ODEFIN, c->connection, [&] {
    if (pos < 1) return 1007;
    if (!IsSupportedExternalType(static_cast<ub2>(ftype))) return 3001;
    DefineSpec& d = c->runner.Define(static_cast<ub4>(pos));
    d = DefineSpec{};
    d.value = buf;
    d.size = bufl;
    d.dty = static_cast<ub2>(ftype);
    d.ind = indp;
    d.rlen = rlen;
    d.rcode = rcode;
    d.value_skip = bufl > 0 ? static_cast<ub4>(bufl) : 0;
    d.defined = true;
    return 0;
  });
}

sword obndra(Cda_Def* cursor, OraText* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword, sb2* indp, ub2* alen, ub2*, ub4, ub4*, OraText*, sword, sword) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  return Run(cursor, OCI7_FC_OBNDRA, c->connection, [&] {
    std::string name = c->connection->code_page->ToUtf8(TextArg(sqlvar, sqlvl));
    if (!name.empty() && name[0] == ':') name.erase(0, 1);
    for (char& ch : name)
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    if (name.empty()) return 1036;
    if (!IsSupportedExternalType(static_cast<ub2>(ftype))) return 3001;
    BindSpec bind;
    bind.name = name;
    bind.value = progv;
    bind.size = progvl;
    bind.dty = static_cast<ub2>(ftype);
    bind.ind = indp;
    bind.alen = alen;
    auto& binds = c->runner.binds;
    std::erase_if(binds, [&](const BindSpec& b) { return b.name == name; });
    binds.push_back(bind);
    c->runner.Recompile();
    return 0;
  });
}

namespace {

sword Execute(Cda_Def* cursor, ub1 function, ub4 iters, ub4 rowoff, ub4 fetch_rows, bool cancel) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  LdaConnection* conn = c->connection;
  return Run(cursor, function, conn, [&] {
    if (c->deferred_error) {
      const OraError e = *c->deferred_error;
      c->deferred_error.reset();
      throw e;
    }
    cursor->rpc = 0;
    if (c->ran_at_parse) return 0;
    FetchResult r;
    try {
      c->runner.Compile(*conn->session);
      cursor->ft = c->runner.FunctionCode() ? c->runner.FunctionCode() : cursor->ft;
      r = c->runner.Execute(*conn->session, c->runner.IsQuery() ? fetch_rows : iters, rowoff);
    } catch (const OraError&) {
      cursor->peo = c->runner.ParseErrorOffset();
      cursor->rpc = c->runner.RowCount();
      throw;
    }
    cursor->ft = c->runner.FunctionCode();
    cursor->rpc = c->runner.RowCount();
    if (!c->runner.IsQuery() && conn->autocommit) conn->session->Commit();
    if (c->runner.IsQuery() && cancel) c->runner.Cancel();
    if (c->runner.IsQuery() && fetch_rows > 0) {
      if (r.end) return 1403;
      if (r.null_without_indicator) return 1405;
      if (r.truncated) return 1406;
    }
    return 0;
  });
}

}  // namespace

sword oexec(Cda_Def* cursor) {
  return Execute(cursor, OCI7_FC_OEXEC, 1, 0, 0, false);
}

sword oexn(Cda_Def* cursor, sword iters, sword rowoff) {
  return Execute(cursor, OCI7_FC_OEXEC, static_cast<ub4>(iters), static_cast<ub4>(rowoff), 0,
                 false);
}

sword oexfet(Cda_Def* cursor, ub4 nrows, sword cancel, sword) {
  return Execute(cursor, OCI7_FC_OEXFET, 1, 0, nrows, cancel != 0);
}

sword ofen(Cda_Def* cursor, sword nrows) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  return Run(cursor, OCI7_FC_OFEN, c->connection, [&] {
    if (!c->runner.IsQuery() || !c->runner.HasCursor()) return 1002;
    FetchResult r;
    try {
      r = c->runner.Fetch(nrows > 0 ? static_cast<ub4>(nrows) : 1);
    } catch (const OraError&) {
      cursor->rpc = c->runner.RowCount();
      throw;
    }
    cursor->rpc = c->runner.RowCount();
    if (r.end) return 1403;
    if (r.null_without_indicator) return 1405;
    if (r.truncated) return 1406;
    return 0;
  });
}

sword oflng(Cda_Def* cursor, sword pos, ub1* buf, sb4 bufl, sword, ub4* retl, sb4 offset) {
  CdaCursor* c = CursorOf(cursor);
  if (!c) return -1;
  return Run(cursor, OCI7_FC_OFLNG, c->connection, [&] {
    const auto* columns = c->runner.Columns();
    const auto& row = c->runner.LastRow();
    if (!columns || pos < 1 || static_cast<std::size_t>(pos) > row.size()) return 1007;
    const Value& v = row[pos - 1];
    std::string data;
    if (v.kind == Value::Kind::kBlob) {
      data = v.s;
    } else if (!v.IsNull()) {
      data = ClientText(v, (*columns)[pos - 1].type, c->connection->session->Context(),
                        *c->connection->code_page);
    }
    const std::size_t start = offset > 0 ? static_cast<std::size_t>(offset) : 0;
    const std::size_t n =
        start < data.size() ? std::min<std::size_t>(data.size() - start, bufl > 0 ? bufl : 0) : 0;
    if (buf && n) std::memcpy(buf, data.data() + start, n);
    if (retl) *retl = static_cast<ub4>(n);
    return 0;
  });
}

sword ocom(Lda_Def* lda) {
  LdaConnection* conn = ConnectionOf(lda);
  if (!conn) return -1;
  return Run(lda, 0, conn, [&] {
    conn->session->Commit();
    return 0;
  });
}

sword orol(Lda_Def* lda) {
  LdaConnection* conn = ConnectionOf(lda);
  if (!conn) return -1;
  return Run(lda, 0, conn, [&] {
    conn->session->Rollback();
    return 0;
  });
}

sword ocon(Lda_Def* lda) {
  LdaConnection* conn = ConnectionOf(lda);
  if (!conn) return -1;
  conn->autocommit = true;
  return Finish(lda, 0, conn, 0, {});
}

sword ocof(Lda_Def* lda) {
  LdaConnection* conn = ConnectionOf(lda);
  if (!conn) return -1;
  conn->autocommit = false;
  return Finish(lda, 0, conn, 0, {});
}

sword obreak(Lda_Def* lda) {
  return ConnectionOf(lda) ? 0 : -1;
}

sword odessp(Cda_Def* cursor, OraText*, std::size_t, ub1*, std::size_t, ub1*, std::size_t, ub2*,
             ub2*, ub2*, OraText**, ub2*, ub2*, ub1*, ub1*, ub4*, sb2*, sb2*, ub1*, ub4*, ub4*) {
  if (!cursor) return -1;
  CdaCursor* c = CursorOf(cursor);
  return Run(cursor, 0, c ? c->connection : nullptr, [] { return 3001; });
}

sword OCISvcCtxToLda(OCISvcCtx* svchp, OCIError* errhp, Lda_Def* ldap) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = As<ErrorHandle>(errhp, OCI_HTYPE_ERROR);
  if (!svc || !err || !ldap) return OCI_INVALID_HANDLE;
  try {
    Session& session = svc->Active();
    auto conn = std::make_unique<LdaConnection>();
    conn->session = &session;
    conn->svc = svc;
    conn->code_page = svc->env->nls.code_page;
    Register(conn.get());
    svc->lda = conn.release();
    std::memset(ldap, 0, sizeof *ldap);
    ldap->rcsp = svc->lda;
    return OCI_SUCCESS;
  } catch (const OraError& e) {
    err->Record(e);
    return OCI_ERROR;
  }
}

sword OCILdaToSvcCtx(OCISvcCtx** svchpp, OCIError* errhp, Lda_Def* ldap) {
  auto* err = As<ErrorHandle>(errhp, OCI_HTYPE_ERROR);
  LdaConnection* conn = ConnectionOf(ldap);
  if (!err || !svchpp || !conn || !conn->svc) return OCI_INVALID_HANDLE;
  SvcCtxHandle* svc = conn->svc;
  svc->lda = nullptr;
  ReleaseLda(conn);
  ldap->rcsp = nullptr;
  *svchpp = reinterpret_cast<OCISvcCtx*>(static_cast<Handle*>(svc));
  return OCI_SUCCESS;
}

}  // extern "C"
