// The connection calls of the release 8 interface: attaching a server, beginning and ending
// sessions (with the external and privileged logons), password changes, the server's banner and
// the transaction calls.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ocilite/database_files.h"
#include "ocilite/internal/code_page.h"
#include "ocilite/internal/oci_handles.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

// The operating-system user an external logon names (OPS$ + this name).
std::string OsUserName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return pw->pw_name;
  if (const char* name = std::getenv("USER")) return name;
  return {};
}

}  // namespace

extern "C" {

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

}  // extern "C"
