// The LOB calls of the release 8 interface that reading a fetched LOB needs: its length, its
// content (whole, in polled parts or through a callback), whether a locator holds a value, and
// the character-set form. A CLOB is measured and addressed in characters, a BLOB in bytes;
// offsets count from 1. The calls that change LOBs or work on files stay unimplemented.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/oci_exports.h"
// clang-format on

#include <cstring>
#include <string_view>

#include "ocilite/code_page.h"
#include "ocilite/oci_handles.h"
#include "ocilite/utf8_text.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

LobLocator* LobOf(const void* p) {
  if (auto* lob = As<LobLocator>(p, OCI_DTYPE_LOB)) return lob;
  return As<LobLocator>(p, OCI_DTYPE_FILE);
}

// The locator's value must be there to be read: the server is asked, as Oracle's client would.
const LobLocator& ReadableLob(SvcCtxHandle& svc, const LobLocator& lob) {
  svc.Active().CheckLink();
  if (!lob.initialized) throw OraError(22275);
  return lob;
}

// `amount` characters (CLOB) or bytes (BLOB) from `offset` on, 0 meaning all, in the client's
// form.
std::string ClientPart(const LobLocator& lob, ub4 offset, ub4 amount, const CodePage& cp) {
  const std::size_t first = offset - 1;
  const std::size_t count = amount == 0 ? std::string_view::npos : amount;
  if (lob.kind == DataType::kClob) return cp.FromUtf8(Utf8Substr(lob.content, first, count));
  if (first >= lob.content.size()) return {};
  return lob.content.substr(first, count);
}

}  // namespace

extern "C" {

sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  LobLocator* lob = LobOf(locp);
  if (!svc || !lob || !lenp) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    const LobLocator& value = ReadableLob(*svc, *lob);
    *lenp = static_cast<ub4>(value.kind == DataType::kClob ? Utf8Length(value.content)
                                                           : value.content.size());
    return OCI_SUCCESS;
  });
}

sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                 void* bufp, ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2, ub1) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  LobLocator* lob = LobOf(locp);
  if (!svc || !lob) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!amtp || !bufp || bufl == 0) throw OraError(24801);
    if (!lob->polling) {
      ReadableLob(*svc, *lob);
      if (offset < 1) throw OraError(24801);
      lob->pending = ClientPart(*lob, offset, *amtp, *svc->env->nls.code_page);
      lob->pending_at = 0;
      if (lob->pending.empty()) {
        *amtp = 0;
        return OCI_NO_DATA;
      }
    }
    auto* out = static_cast<char*>(bufp);
    const std::string& data = lob->pending;
    if (cbfp) {
      // Every piece, the last one too, is handed to the callback from the client's buffer.
      ub4 total = 0;
      while (lob->pending_at < data.size()) {
        const std::size_t n = std::min<std::size_t>(bufl, data.size() - lob->pending_at);
        std::memcpy(out, data.data() + lob->pending_at, n);
        const bool first = lob->pending_at == 0;
        lob->pending_at += n;
        const bool last = lob->pending_at == data.size();
        const ub1 piece = first && last ? OCI_ONE_PIECE
                          : first       ? OCI_FIRST_PIECE
                          : last        ? OCI_LAST_PIECE
                                        : OCI_NEXT_PIECE;
        total += static_cast<ub4>(n);
        if (cbfp(ctxp, out, static_cast<ub4>(n), piece) != OCI_CONTINUE) {
          lob->pending.clear();
          throw OraError(24343);
        }
      }
      lob->pending.clear();
      *amtp = total;
      return OCI_SUCCESS;
    }
    const std::size_t n = std::min<std::size_t>(bufl, data.size() - lob->pending_at);
    std::memcpy(out, data.data() + lob->pending_at, n);
    lob->pending_at += n;
    *amtp = static_cast<ub4>(n);
    lob->polling = lob->pending_at < data.size();
    if (lob->polling) return OCI_NEED_DATA;
    lob->pending.clear();
    return OCI_SUCCESS;
  });
}

sword OCILobLocatorIsInit(OCIEnv*, OCIError* errhp, const OCILobLocator* locp,
                          int* is_initialized) {
  const LobLocator* lob = LobOf(locp);
  if (!lob || !is_initialized) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    *is_initialized = lob->initialized ? 1 : 0;
    return OCI_SUCCESS;
  });
}

sword OCILobCharSetForm(OCIEnv*, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm) {
  const LobLocator* lob = LobOf(locp);
  if (!lob || !csfrm) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    *csfrm = lob->kind == DataType::kClob ? SQLCS_IMPLICIT : 0;
    return OCI_SUCCESS;
  });
}

}  // extern "C"
