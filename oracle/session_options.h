#pragma once
// The option types of a session's properties.

namespace qm {

enum TConnectAsOption { caNormal, caSYSDBA, caSYSOPER };
enum TSessionPoolingOption { spNone, spInternal, spMTS };
enum TNullValueOption { nvUnAssigned, nvNull };
enum TSQLTraceOption { stUnchanged, stTrue, stFalse };
enum TOptimizerGoalOption { ogUnchanged, ogChoose, ogFirstRows, ogAllRows, ogRule };
enum TIsolationLevelOption { ilUnchanged, ilReadCommitted, ilSerializable };
enum TBytesPerCharacterOption { bcAutoDetect, bc1Byte, bc2Bytes, bc3Bytes, bc4Bytes };

// A set of TMTSOption flags.
enum TMTSOption : unsigned { moImplicit = 1, moUniqueServer = 2 };
using TMTSOptions = unsigned;

}  // namespace qm
