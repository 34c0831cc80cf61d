// The LOB calls of the release 8 interface that reading a fetched LOB needs: its length, its
// content (whole, in polled parts or through a callback), whether a locator holds a value, the
// character-set form, opening and closing (internal LOBs read-only or read-write, BFILEs read-only),
// the chunk size, and probing and naming the file of a BFILE. A CLOB is
// measured and addressed in characters, a BLOB or BFILE in bytes; offsets count from 1. The calls
// that change LOBs stay unimplemented.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/directories.h"
#include "ocilite/internal/oci_handles.h"
#include "ocilite/internal/utf8_text.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

LobLocator* LobOf(const void* p) {
  if (auto* lob = As<LobLocator>(p, OCI_DTYPE_LOB)) return lob;
  return As<LobLocator>(p, OCI_DTYPE_FILE);
}

LobLocator* FileOf(const void* p) {
  return As<LobLocator>(p, OCI_DTYPE_FILE);
}

// The locator's value must be there to be read: the server is asked, as Oracle's client would.
Session& ServerFor(SvcCtxHandle& svc, const LobLocator& lob) {
  Session& session = svc.Active();
  session.CheckLink();
  if (!lob.initialized) throw OraError(22275);
  return session;
}

// A BFILE value's directory and file name.
std::pair<std::string, std::string> FileName(const LobLocator& lob) {
  const std::size_t slash = lob.content.find('/');
  if (slash == std::string::npos) return {lob.content, ""};
  return {lob.content.substr(0, slash), lob.content.substr(slash + 1)};
}

// Where a BFILE's file is; ORA-22285 when its directory does not exist.
std::filesystem::path FilePath(Session& session, const LobLocator& lob, const char* operation) {
  const auto [directory, name] = FileName(lob);
  const std::optional<std::string> folder = DirectoryPath(*session.Context().db, directory);
  if (!folder) throw OraError(22285, {operation});
  return std::filesystem::path(*folder) / name;
}

std::string ReadFilePart(const std::string& path, std::size_t first, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw OraError(22288, {"FILEREAD"});
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::size_t>(in.tellg());
  if (first >= size) return {};
  const std::size_t n = std::min(count, size - first);
  std::string bytes(n, '\0');
  in.seekg(static_cast<std::streamoff>(first));
  if (!in.read(bytes.data(), static_cast<std::streamsize>(n))) throw OraError(22288, {"FILEREAD"});
  return bytes;
}

// `amount` characters (CLOB) or bytes from `offset` on, 0 meaning all, in the client's form.
std::string ClientPart(const LobLocator& lob, ub4 offset, ub4 amount, const CodePage& cp) {
  const std::size_t first = offset - 1;
  const std::size_t count = amount == 0 ? std::string_view::npos : amount;
  if (lob.kind == DataType::kClob) return cp.FromUtf8(Utf8Substr(lob.content, first, count));
  if (lob.kind == DataType::kBfile) {
    if (lob.open_path.empty()) throw OraError(22289, {"FILEREAD"});
    return ReadFilePart(lob.open_path, first, count);
  }
  if (first >= lob.content.size()) return {};
  return lob.content.substr(first, count);
}

// The text in UTF-16 (native byte order), which a client asks for with OCI_UTF16ID.
std::string Utf16Bytes(const CodePage& cp, const std::string& client) {
  const std::string utf8 = cp.ToUtf8(client);
  std::string out;
  auto put = [&](char16_t unit) { out.append(reinterpret_cast<const char*>(&unit), 2); };
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, i);
    if (c >= 0x10000) {
      put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      put(static_cast<char16_t>(c));
    }
  }
  return out;
}

// The bytes of the next piece for a buffer of `bufl` bytes: whole UTF-16 code units only.
std::size_t PieceSize(const LobLocator& lob, ub4 bufl) {
  std::size_t n = std::min<std::size_t>(bufl, lob.pending.size() - lob.pending_at);
  if (lob.utf16) n &= ~std::size_t{1};
  return n;
}

template <typename Body>
sword WithFile(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, Body&& body) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  LobLocator* file = FileOf(filep);
  if (!svc || !file) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    return body(ServerFor(*svc, *file), *file);
  });
}

}  // namespace

extern "C" {

sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  LobLocator* lob = LobOf(locp);
  if (!svc || !lob || !lenp) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    Session& session = ServerFor(*svc, *lob);
    switch (lob->kind) {
      case DataType::kClob:
        *lenp = static_cast<ub4>(Utf8Length(lob->content));
        break;
      case DataType::kBfile: {
        // The length of a file needs no open.
        std::error_code ec;
        const auto size = std::filesystem::file_size(
            lob->open_path.empty() ? FilePath(session, *lob, "GETLENGTH")
                                   : std::filesystem::path(lob->open_path),
            ec);
        if (ec) throw OraError(22288, {"GETLENGTH"});
        *lenp = static_cast<ub4>(size);
        break;
      }
      default:
        *lenp = static_cast<ub4>(lob->content.size());
    }
    return OCI_SUCCESS;
  });
}

sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                 void* bufp, ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  LobLocator* lob = LobOf(locp);
  if (!svc || !lob) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!amtp || !bufp || bufl == 0) throw OraError(24801);
    if (!lob->polling) {
      ServerFor(*svc, *lob);
      if (offset < 1) throw OraError(24801);
      lob->pending = ClientPart(*lob, offset, *amtp, *svc->env->nls.code_page);
      lob->pending_at = 0;
      lob->utf16 = lob->kind == DataType::kClob && csid == OCI_UTF16ID;
      if (lob->utf16) {
        if (bufl < 2) throw OraError(24801);
        lob->pending = Utf16Bytes(*svc->env->nls.code_page, lob->pending);
      }
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
        const std::size_t n = PieceSize(*lob, bufl);
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
      *amtp = lob->utf16 ? total / 2 : total;
      return OCI_SUCCESS;
    }
    const std::size_t n = PieceSize(*lob, bufl);
    std::memcpy(out, data.data() + lob->pending_at, n);
    lob->pending_at += n;
    *amtp = static_cast<ub4>(lob->utf16 ? n / 2 : n);
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

sword OCILobOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub1 mode) {
  LobLocator* lob = LobOf(locp);
  if (lob && lob->type == OCI_DTYPE_FILE) return OCILobFileOpen(svchp, errhp, locp, mode);
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc || !lob) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    ServerFor(*svc, *lob);
    if (mode != OCI_LOB_READONLY && mode != OCI_LOB_READWRITE) throw OraError(24801);
    if (lob->opened) throw OraError(22293);
    lob->opened = true;
    return OCI_SUCCESS;
  });
}

sword OCILobClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp) {
  LobLocator* lob = LobOf(locp);
  if (lob && lob->type == OCI_DTYPE_FILE) return OCILobFileClose(svchp, errhp, locp);
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc || !lob) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    ServerFor(*svc, *lob);
    if (!lob->opened) throw OraError(22289, {"CLOSE"});
    lob->opened = false;
    return OCI_SUCCESS;
  });
}

sword OCILobIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, int* flag) {
  LobLocator* lob = LobOf(locp);
  if (lob && lob->type == OCI_DTYPE_FILE) return OCILobFileIsOpen(svchp, errhp, locp, flag);
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc || !lob || !flag) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    ServerFor(*svc, *lob);
    *flag = lob->opened ? 1 : 0;
    return OCI_SUCCESS;
  });
}

sword OCILobGetChunkSize(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                         ub4* chunksizep) {
  auto* svc = As<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
  LobLocator* lob = LobOf(locp);
  if (!svc || !lob || !chunksizep) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    ServerFor(*svc, *lob);
    if (lob->kind == DataType::kBfile) throw OraError(24801);
    // The usable part of a chunk of one 8 KB block, as a database with that block size gives.
    *chunksizep = 8132;
    return OCI_SUCCESS;
  });
}

sword OCILobFileOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, ub1 mode) {
  return WithFile(svchp, errhp, filep, [&](Session& session, LobLocator& file) -> sword {
    if (mode != OCI_FILE_READONLY) throw OraError(24801);
    const std::filesystem::path path = FilePath(session, file, "FILEOPEN");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !std::ifstream(path, std::ios::binary))
      throw OraError(22288, {"FILEOPEN"});
    file.open_path = path.string();
    return OCI_SUCCESS;
  });
}

sword OCILobFileClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep) {
  return WithFile(svchp, errhp, filep, [&](Session&, LobLocator& file) -> sword {
    file.open_path.clear();
    file.pending.clear();
    file.polling = false;
    return OCI_SUCCESS;
  });
}

sword OCILobFileIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, int* flag) {
  if (!flag) return OCI_INVALID_HANDLE;
  return WithFile(svchp, errhp, filep, [&](Session&, LobLocator& file) -> sword {
    *flag = file.open_path.empty() ? 0 : 1;
    return OCI_SUCCESS;
  });
}

sword OCILobFileExists(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, int* flag) {
  if (!flag) return OCI_INVALID_HANDLE;
  return WithFile(svchp, errhp, filep, [&](Session& session, LobLocator& file) -> sword {
    std::error_code ec;
    *flag = std::filesystem::is_regular_file(FilePath(session, file, "FILEEXISTS"), ec) ? 1 : 0;
    return OCI_SUCCESS;
  });
}

sword OCILobFileGetName(OCIEnv*, OCIError* errhp, const OCILobLocator* filep, OraText* dir_alias,
                        ub2* d_length, OraText* filename, ub2* f_length) {
  const LobLocator* file = FileOf(filep);
  if (!file || !dir_alias || !d_length || !filename || !f_length) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (!file->initialized) throw OraError(22275);
    const CodePage& cp = *file->env->nls.code_page;
    const auto [directory, name] = FileName(*file);
    auto put = [&](const std::string& utf8, OraText* out, ub2* length) {
      const std::string text = cp.FromUtf8(utf8);
      if (text.size() > *length) throw OraError(24801);
      std::memcpy(out, text.data(), text.size());
      *length = static_cast<ub2>(text.size());
    };
    put(directory, dir_alias, d_length);
    put(name, filename, f_length);
    return OCI_SUCCESS;
  });
}

}  // extern "C"
