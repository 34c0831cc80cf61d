#pragma once
// The names the client loader resolves, group by group, in the order it looks them up. Each list
// is an X-macro: X(name) once per name. The loader builds its entry point table from them; the
// test client library builds its exports from them.

// clang-format off

// Release 7 interface.
#define QM_OCI7_NAMES(X)                \
  X(orlon)                              \
  X(ologof)                             \
  X(oerhms)                             \
  X(oopen)                              \
  X(oparse)                             \
  X(odefin)                             \
  X(oexfet)                             \
  X(ofen)                               \
  X(oflng)                              \
  X(oclose)                             \
  X(odescr)                             \
  X(oexec)                              \
  X(oexn)                               \
  X(ocom)                               \
  X(orol)                               \
  X(ocon)                               \
  X(ocof)                               \
  X(obreak)                             \
  X(obndra)                             \
  X(odessp)

#define QM_OLOG_NAMES(X)                \
  X(olog)

#define QM_OPINIT_NAMES(X)              \
  X(opinit)

// Release 8 interface (114 names).
#define QM_OCI8_NAMES(X)                \
  X(OCIInitialize)                      \
  X(OCIHandleAlloc)                     \
  X(OCIHandleFree)                      \
  X(OCIDescriptorAlloc)                 \
  X(OCIDescriptorFree)                  \
  X(OCIEnvInit)                         \
  X(OCIServerAttach)                    \
  X(OCIServerDetach)                    \
  X(OCISessionBegin)                    \
  X(OCISessionEnd)                      \
  X(OCILogon)                           \
  X(OCILogoff)                          \
  X(OCIPasswordChange)                  \
  X(OCIStmtPrepare)                     \
  X(OCIBindByPos)                       \
  X(OCIBindByName)                      \
  X(OCIBindObject)                      \
  X(OCIBindDynamic)                     \
  X(OCIBindArrayOfStruct)               \
  X(OCIStmtGetPieceInfo)                \
  X(OCIStmtSetPieceInfo)                \
  X(OCIStmtExecute)                     \
  X(OCIDefineByPos)                     \
  X(OCIDefineObject)                    \
  X(OCIDefineDynamic)                   \
  X(OCIDefineArrayOfStruct)             \
  X(OCIStmtFetch)                       \
  X(OCIStmtGetBindInfo)                 \
  X(OCIDescribeAny)                     \
  X(OCIParamGet)                        \
  X(OCIParamSet)                        \
  X(OCITransStart)                      \
  X(OCITransDetach)                     \
  X(OCITransCommit)                     \
  X(OCITransRollback)                   \
  X(OCITransPrepare)                    \
  X(OCITransForget)                     \
  X(OCIErrorGet)                        \
  X(OCILobAppend)                       \
  X(OCILobAssign)                       \
  X(OCILobCharSetForm)                  \
  X(OCILobCharSetId)                    \
  X(OCILobCopy)                         \
  X(OCILobDisableBuffering)             \
  X(OCILobEnableBuffering)              \
  X(OCILobErase)                        \
  X(OCILobFileClose)                    \
  X(OCILobFileCloseAll)                 \
  X(OCILobFileExists)                   \
  X(OCILobFileGetName)                  \
  X(OCILobFileIsOpen)                   \
  X(OCILobFileOpen)                     \
  X(OCILobFileSetName)                  \
  X(OCILobFlushBuffer)                  \
  X(OCILobGetLength)                    \
  X(OCILobIsEqual)                      \
  X(OCILobLoadFromFile)                 \
  X(OCILobLocatorIsInit)                \
  X(OCILobRead)                         \
  X(OCILobTrim)                         \
  X(OCILobWrite)                        \
  X(OCIBreak)                           \
  X(OCIServerVersion)                   \
  X(OCIAttrGet)                         \
  X(OCIAttrSet)                         \
  X(OCISvcCtxToLda)                     \
  X(OCILdaToSvcCtx)                     \
  X(OCIResultSetToStmt)                 \
  X(OCIObjectUnpin)                     \
  X(OCIObjectLock)                      \
  X(OCIObjectMarkUpdate)                \
  X(OCIObjectUnmark)                    \
  X(OCIObjectMarkDelete)                \
  X(OCIObjectFlush)                     \
  X(OCIObjectCopy)                      \
  X(OCIObjectGetTypeRef)                \
  X(OCIObjectGetObjectRef)              \
  X(OCIObjectGetInd)                    \
  X(OCIObjectExists)                    \
  X(OCIObjectIsLocked)                  \
  X(OCIObjectIsDirty)                   \
  X(OCIObjectRefresh)                   \
  X(OCIObjectPinTable)                  \
  X(OCIObjectNew)                       \
  X(OCIObjectPin)                       \
  X(OCIObjectFree)                      \
  X(OCITypeByName)                      \
  X(OCIObjectGetAttr)                   \
  X(OCIObjectSetAttr)                   \
  X(OCIStringPtr)                       \
  X(OCIStringAssignText)                \
  X(OCINumberFromInt)                   \
  X(OCINumberToInt)                     \
  X(OCINumberFromReal)                  \
  X(OCINumberToReal)                    \
  X(OCINumberToText)                    \
  X(OCINumberFromText)                  \
  X(OCIRawPtr)                          \
  X(OCIRawSize)                         \
  X(OCIRawAssignBytes)                  \
  X(OCIRefAssign)                       \
  X(OCIRefClear)                        \
  X(OCIRefIsNull)                       \
  X(OCIRefFromHex)                      \
  X(OCIRefHexSize)                      \
  X(OCIRefToHex)                        \
  X(OCICollSize)                        \
  X(OCICollTrim)                        \
  X(OCICollMax)                         \
  X(OCICollGetElem)                     \
  X(OCICollAssignElem)                  \
  X(OCICollAppend)                      \
  X(OCITableDelete)                     \
  X(OCICacheFlush)

// Release 8.1 additions.
#define QM_OCI81_NAMES(X)               \
  X(OCIEnvCreate)                       \
  X(OCIDirPathAbort)                    \
  X(OCIDirPathFinish)                   \
  X(OCIDirPathPrepare)                  \
  X(OCIDirPathColArrayEntrySet)         \
  X(OCIDirPathColArrayToStream)         \
  X(OCIDirPathLoadStream)               \
  X(OCIDirPathStreamReset)              \
  X(OCIDateTimeToText)

// Temporary LOBs (release 8.1), resolved one by one: a client without them stays ready for
// everything else, and a LOB variable is then refused.
#define QM_OCI_TEMP_LOB_NAMES(X)        \
  X(OCILobCreateTemporary)              \
  X(OCILobFreeTemporary)
// clang-format on
