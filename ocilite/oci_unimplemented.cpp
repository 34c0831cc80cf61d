// The entry points outside the engine's scope (objects, changing stored LOBs, direct path, ...). They exist so
// that a loader resolving the whole interface finds every name; each fails cleanly with
// "ORA-03001: unimplemented feature" on the error handle it is given.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include "ocilite/internal/oci_handles.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

sword Unimplemented(OCIError* errhp) {
  if (auto* err = As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) {
    err->Record(OraError(3001));
  }
  return OCI_ERROR;
}

}  // namespace

extern "C" {

sword OCIBindObject(OCIBind*, OCIError* errhp, const OCIType*, void**, ub4*, void**, ub4*) {
  return Unimplemented(errhp);
}

sword OCIBindDynamic(OCIBind*, OCIError* errhp, void*, OCICallbackInBind, void*,
                     OCICallbackOutBind) {
  return Unimplemented(errhp);
}

sword OCIDefineObject(OCIDefine*, OCIError* errhp, const OCIType*, void**, ub4*, void**, ub4*) {
  return Unimplemented(errhp);
}

sword OCIStmtGetBindInfo(OCIStmt*, OCIError* errhp, ub4, ub4, sb4*, OraText*[], ub1[], OraText*[],
                         ub1[], ub1[], OCIBind*[]) {
  return Unimplemented(errhp);
}

sword OCIDescribeAny(OCISvcCtx*, OCIError* errhp, void*, ub4, ub1, ub1, ub1, OCIDescribe*) {
  return Unimplemented(errhp);
}

sword OCIParamSet(void*, ub4, OCIError* errhp, const void*, ub4, ub4) {
  return Unimplemented(errhp);
}

sword OCITransDetach(OCISvcCtx*, OCIError* errhp, ub4) {
  return Unimplemented(errhp);
}

sword OCITransPrepare(OCISvcCtx*, OCIError* errhp, ub4) {
  return Unimplemented(errhp);
}

sword OCITransForget(OCISvcCtx*, OCIError* errhp, ub4) {
  return Unimplemented(errhp);
}

sword OCILobAppend(OCISvcCtx*, OCIError* errhp, OCILobLocator*, OCILobLocator*) {
  return Unimplemented(errhp);
}

sword OCILobAssign(OCIEnv*, OCIError* errhp, const OCILobLocator*, OCILobLocator**) {
  return Unimplemented(errhp);
}

sword OCILobCharSetId(OCIEnv*, OCIError* errhp, const OCILobLocator*, ub2*) {
  return Unimplemented(errhp);
}

sword OCILobCopy(OCISvcCtx*, OCIError* errhp, OCILobLocator*, OCILobLocator*, ub4, ub4, ub4) {
  return Unimplemented(errhp);
}

sword OCILobDisableBuffering(OCISvcCtx*, OCIError* errhp, OCILobLocator*) {
  return Unimplemented(errhp);
}

sword OCILobEnableBuffering(OCISvcCtx*, OCIError* errhp, OCILobLocator*) {
  return Unimplemented(errhp);
}

sword OCILobErase(OCISvcCtx*, OCIError* errhp, OCILobLocator*, ub4*, ub4) {
  return Unimplemented(errhp);
}

sword OCILobFileCloseAll(OCISvcCtx*, OCIError* errhp) {
  return Unimplemented(errhp);
}

sword OCILobFileSetName(OCIEnv*, OCIError* errhp, OCILobLocator**, const OraText*, ub2,
                        const OraText*, ub2) {
  return Unimplemented(errhp);
}

sword OCILobFlushBuffer(OCISvcCtx*, OCIError* errhp, OCILobLocator*, ub4) {
  return Unimplemented(errhp);
}

sword OCILobIsEqual(OCIEnv*, const OCILobLocator*, const OCILobLocator*, int*) {
  return Unimplemented(nullptr);
}

sword OCILobLoadFromFile(OCISvcCtx*, OCIError* errhp, OCILobLocator*, OCILobLocator*, ub4, ub4,
                         ub4) {
  return Unimplemented(errhp);
}

sword OCILobTrim(OCISvcCtx*, OCIError* errhp, OCILobLocator*, ub4) {
  return Unimplemented(errhp);
}

sword OCIResultSetToStmt(OCIResult*, OCIError* errhp) {
  return Unimplemented(errhp);
}

sword OCIObjectUnpin(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectLock(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectMarkUpdate(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectUnmark(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectMarkDelete(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectFlush(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectCopy(OCIEnv*, OCIError* errhp, const OCISvcCtx*, void*, void*, void*, void*,
                    OCIType*, OCIDuration, ub1) {
  return Unimplemented(errhp);
}

sword OCIObjectGetTypeRef(OCIEnv*, OCIError* errhp, void*, OCIRef*) {
  return Unimplemented(errhp);
}

sword OCIObjectGetObjectRef(OCIEnv*, OCIError* errhp, void*, OCIRef*) {
  return Unimplemented(errhp);
}

sword OCIObjectGetInd(OCIEnv*, OCIError* errhp, void*, void**) {
  return Unimplemented(errhp);
}

sword OCIObjectExists(OCIEnv*, OCIError* errhp, void*, int*) {
  return Unimplemented(errhp);
}

sword OCIObjectIsLocked(OCIEnv*, OCIError* errhp, void*, int*) {
  return Unimplemented(errhp);
}

sword OCIObjectIsDirty(OCIEnv*, OCIError* errhp, void*, int*) {
  return Unimplemented(errhp);
}

sword OCIObjectRefresh(OCIEnv*, OCIError* errhp, void*) {
  return Unimplemented(errhp);
}

sword OCIObjectPinTable(OCIEnv*, OCIError* errhp, const OCISvcCtx*, const OraText*, ub4,
                        const OraText*, ub4, const OCIRef*, OCIDuration, void**) {
  return Unimplemented(errhp);
}

sword OCIObjectNew(OCIEnv*, OCIError* errhp, const OCISvcCtx*, OCITypeCode, OCIType*, void*,
                   OCIDuration, int, void**) {
  return Unimplemented(errhp);
}

sword OCIObjectPin(OCIEnv*, OCIError* errhp, OCIRef*, OCIComplexObject*, OCIPinOpt, OCIDuration,
                   OCILockOpt, void**) {
  return Unimplemented(errhp);
}

sword OCIObjectFree(OCIEnv*, OCIError* errhp, void*, ub2) {
  return Unimplemented(errhp);
}

sword OCIObjectGetAttr(OCIEnv*, OCIError* errhp, void*, void*, OCIType*, const OraText**,
                       const ub4*, const ub4, const ub4*, const ub4, OCIInd*, void**, void**,
                       OCIType**) {
  return Unimplemented(errhp);
}

sword OCIObjectSetAttr(OCIEnv*, OCIError* errhp, void*, void*, OCIType*, const OraText**,
                       const ub4*, const ub4, const ub4*, const ub4, const OCIInd, const void*,
                       const void*) {
  return Unimplemented(errhp);
}

OraText* OCIStringPtr(OCIEnv*, const OCIString*) {
  return nullptr;
}

sword OCIStringAssignText(OCIEnv*, OCIError* errhp, const OraText*, ub4, OCIString**) {
  return Unimplemented(errhp);
}

sword OCINumberFromInt(OCIError* errhp, const void*, uword, uword, OCINumber*) {
  return Unimplemented(errhp);
}

sword OCINumberToInt(OCIError* errhp, const OCINumber*, uword, uword, void*) {
  return Unimplemented(errhp);
}

sword OCINumberFromReal(OCIError* errhp, const void*, uword, OCINumber*) {
  return Unimplemented(errhp);
}

sword OCINumberToReal(OCIError* errhp, const OCINumber*, uword, void*) {
  return Unimplemented(errhp);
}

sword OCINumberToText(OCIError* errhp, const OCINumber*, const OraText*, ub4, const OraText*, ub4,
                      ub4*, OraText*) {
  return Unimplemented(errhp);
}

sword OCINumberFromText(OCIError* errhp, const OraText*, ub4, const OraText*, ub4, const OraText*,
                        ub4, OCINumber*) {
  return Unimplemented(errhp);
}

ub1* OCIRawPtr(OCIEnv*, const OCIRaw*) {
  return nullptr;
}

ub4 OCIRawSize(OCIEnv*, const OCIRaw*) {
  return 0;
}

sword OCIRawAssignBytes(OCIEnv*, OCIError* errhp, const ub1*, ub4, OCIRaw**) {
  return Unimplemented(errhp);
}

sword OCIRefAssign(OCIEnv*, OCIError* errhp, const OCIRef*, OCIRef**) {
  return Unimplemented(errhp);
}

void OCIRefClear(OCIEnv*, OCIRef*) {}

int OCIRefIsNull(OCIEnv*, const OCIRef*) {
  return 0;
}

sword OCIRefFromHex(OCIEnv*, OCIError* errhp, const OCISvcCtx*, const OraText*, ub4, OCIRef**) {
  return Unimplemented(errhp);
}

ub4 OCIRefHexSize(OCIEnv*, const OCIRef*) {
  return 0;
}

sword OCIRefToHex(OCIEnv*, OCIError* errhp, const OCIRef*, OraText*, ub4*) {
  return Unimplemented(errhp);
}

sword OCICollSize(OCIEnv*, OCIError* errhp, const OCIColl*, sb4*) {
  return Unimplemented(errhp);
}

sword OCICollTrim(OCIEnv*, OCIError* errhp, sb4, OCIColl*) {
  return Unimplemented(errhp);
}

sb4 OCICollMax(OCIEnv*, const OCIColl*) {
  return 0;
}

sword OCICollGetElem(OCIEnv*, OCIError* errhp, const OCIColl*, sb4, int*, void**, void**) {
  return Unimplemented(errhp);
}

sword OCICollAssignElem(OCIEnv*, OCIError* errhp, sb4, const void*, const void*, OCIColl*) {
  return Unimplemented(errhp);
}

sword OCICollAppend(OCIEnv*, OCIError* errhp, const void*, const void*, OCIColl*) {
  return Unimplemented(errhp);
}

sword OCITableDelete(OCIEnv*, OCIError* errhp, sb4, OCITable*) {
  return Unimplemented(errhp);
}

sword OCICacheFlush(OCIEnv*, OCIError* errhp, const OCISvcCtx*, void*,
                    OCIRef* (*)(void* context, ub1* last), OCIRef**) {
  return Unimplemented(errhp);
}

sword OCIDirPathAbort(OCIDirPathCtx*, OCIError* errhp) {
  return Unimplemented(errhp);
}

sword OCIDirPathFinish(OCIDirPathCtx*, OCIError* errhp) {
  return Unimplemented(errhp);
}

sword OCIDirPathPrepare(OCIDirPathCtx*, OCISvcCtx*, OCIError* errhp) {
  return Unimplemented(errhp);
}

sword OCIDirPathColArrayEntrySet(OCIDirPathColArray*, OCIError* errhp, ub4, ub2, ub1*, ub4, ub1) {
  return Unimplemented(errhp);
}

sword OCIDirPathColArrayToStream(OCIDirPathColArray*, OCIDirPathCtx*, OCIDirPathStream*,
                                 OCIError* errhp, ub4, ub4) {
  return Unimplemented(errhp);
}

sword OCIDirPathLoadStream(OCIDirPathCtx*, OCIDirPathStream*, OCIError* errhp) {
  return Unimplemented(errhp);
}

sword OCIDirPathStreamReset(OCIDirPathStream*, OCIError* errhp) {
  return Unimplemented(errhp);
}

}  // extern "C"
