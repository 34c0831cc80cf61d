// Object types: the engine has none (it knows no CREATE TYPE), so OCITypeByName answers every
// name as the server answers one it does not have: ORA-22303 with the schema and the name as
// the client gave them (the schema empty when none was given). The rest of the object calls
// stay outside the engine's scope (oci_unimplemented.cpp).
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <string>

#include "ocilite/internal/oci_handles.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

extern "C" {

sword OCITypeByName(OCIEnv* env, OCIError* errhp, const OCISvcCtx* svc, const OraText* schema_name,
                    ub4 s_length, const OraText* type_name, ub4 t_length, const OraText*, ub4,
                    OCIDuration, OCITypeGetOpt, OCIType** tdo) {
  auto* context = As<SvcCtxHandle>(svc, OCI_HTYPE_SVCCTX);
  if (!As<EnvHandle>(env, OCI_HTYPE_ENV) || !context || tdo == nullptr) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    context->Active().CheckLink();
    const std::string schema = TextArg(schema_name, static_cast<sb4>(s_length));
    const std::string name = TextArg(type_name, static_cast<sb4>(t_length));
    throw OraError::WithText(22303, "type \"" + schema + "\".\"" + name + "\" not found");
  });
}

}  // extern "C"
