// Temporary LOBs: a locator made by OCILobCreateTemporary holds its value itself, is written with
// OCILobWrite (in one piece, from the client's buffer), read as a fetched LOB is, bound as
// SQLT_CLOB or SQLT_BLOB into a statement (internal/lob_binds.h), and emptied by
// OCILobFreeTemporary. Writing a LOB stored in a table stays outside the engine's scope
// (ORA-03001).
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <string>
#include <string_view>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/oci_handles.h"
#include "ocilite/internal/utf8_text.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

// The temporary LOB behind `locp`, on a connected service context.
template <typename Body>
sword WithTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, Body&& body) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  auto* lob = As<LobLocator>(locp, OCI_DTYPE_LOB);
  if (!svc || !lob) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    svc->Active().CheckLink();
    return body(*svc, *lob);
  });
}

}  // namespace

extern "C" {

sword OCILobCreateTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub2, ub1,
                            ub1 lobtype, int, OCIDuration) {
  return WithTemporary(svchp, errhp, locp, [&](SvcCtxHandle&, LobLocator& lob) -> sword {
    if (lobtype != OCI_TEMP_BLOB && lobtype != OCI_TEMP_CLOB) throw OraError(24801);
    lob.kind = lobtype == OCI_TEMP_CLOB ? DataType::kClob : DataType::kBlob;
    lob.content.clear();
    lob.initialized = true;
    lob.temporary = true;
    lob.pending.clear();
    lob.polling = false;
    return OCI_SUCCESS;
  });
}

sword OCILobFreeTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp) {
  return WithTemporary(svchp, errhp, locp, [&](SvcCtxHandle&, LobLocator& lob) -> sword {
    if (!lob.temporary) throw OraError(22275);
    lob.content.clear();
    lob.content.shrink_to_fit();
    lob.initialized = false;
    lob.temporary = false;
    return OCI_SUCCESS;
  });
}

// `offset` counts from 1, in characters for a CLOB and bytes for a BLOB; what the buffer holds
// replaces as much of the value from there on (a BLOB written past its end is filled with zero
// bytes up to the offset). *amtp returns the characters or bytes written.
sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                  void* bufp, ub4 buflen, ub1 piece, void*, OCICallbackLobWrite cbfp, ub2, ub1) {
  return WithTemporary(svchp, errhp, locp, [&](SvcCtxHandle& svc, LobLocator& lob) -> sword {
    if (!lob.temporary) throw OraError(3001);
    if (!amtp || (!bufp && buflen > 0) || offset < 1) throw OraError(24801);
    if (piece != OCI_ONE_PIECE || cbfp != nullptr) throw OraError(3001);
    const std::string bytes(static_cast<const char*>(bufp), buflen);
    if (lob.kind == DataType::kClob) {
      const std::string text = svc.env->nls.code_page->ToUtf8(bytes);
      const std::size_t length = Utf8Length(lob.content);
      const std::size_t first = std::min<std::size_t>(offset - 1, length);
      const std::size_t written = Utf8Length(text);
      std::string value(Utf8Substr(lob.content, 0, first));
      value += text;
      if (first + written < length) value += Utf8Substr(lob.content, first + written, std::string_view::npos);
      lob.content = std::move(value);
      *amtp = static_cast<ub4>(written);
    } else {
      const std::size_t first = offset - 1;
      if (lob.content.size() < first) lob.content.resize(first, '\0');
      lob.content.replace(first, std::min(bytes.size(), lob.content.size() - first), bytes);
      *amtp = buflen;
    }
    return OCI_SUCCESS;
  });
}

}  // extern "C"
