// Declarations of Oracle's client interface (OCI, releases 7 to 9) as this program uses it.
//
// Two sides include this header. The client layer loads a client library at run time and
// resolves each function by name into a pointer of the matching `<Name>_t` type; it never links
// against the prototypes. The embedded engine (ocilite) defines every function declared here and
// exports it under Oracle's name. Handle types are opaque: a caller only holds pointers.
//
// Values and parameter orders follow Oracle's published headers and manuals; the layout and
// wording here are our own. Only <cstddef>/<cstdint> are needed, so any module may include it.
//
// It stays one header, long as it is: the two sides must see one set of declarations, and a
// reader looks a call up here by its Oracle name as in Oracle's own header.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Base types. ub4/sb4 are 32 bits on every platform, also LP64.

using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using sword = int;
using uword = unsigned int;
using eword = int;
using OraText = unsigned char;  // text is bytes plus an explicit length, not NUL-terminated

// ---------------------------------------------------------------------------------------------
// Opaque handle and descriptor types.

struct OCIEnv;       // environment
struct OCIError;     // error record holder
struct OCISvcCtx;    // service context: server + session + transaction
struct OCIStmt;      // statement
struct OCIBind;      // bind of one placeholder
struct OCIDefine;    // define of one select-list column
struct OCIDescribe;  // describe of a schema object
struct OCIServer;    // server attachment
struct OCISession;   // user session
struct OCITrans;     // transaction
struct OCISnapshot;  // snapshot descriptor
struct OCIParam;     // parameter descriptor (select-list column)
struct OCIRowid;     // rowid descriptor
struct OCIResult;    // result-set descriptor
struct OCILobLocator;
struct OCIComplexObject;
struct OCIType;
struct OCIString;
struct OCIRaw;
struct OCIRef;
struct OCIColl;
using OCITable = OCIColl;
struct OCIDateTime;  // OCI_DTYPE_DATE, OCI_DTYPE_TIMESTAMP[_TZ|_LTZ] descriptors
struct OCIInterval;  // OCI_DTYPE_INTERVAL_YM / _DS descriptors
struct OCIDirPathCtx;
struct OCIDirPathColArray;
struct OCIDirPathStream;

// Oracle NUMBER in its 22-byte internal form.
struct OCINumber {
  ub1 OCINumberPart[22];
};

// A date in the client's memory (SQLT_ODT): 8 bytes with the padding after the day's fields.
struct OCITime {
  ub1 OCITimeHH;
  ub1 OCITimeMI;
  ub1 OCITimeSS;
};
struct OCIDate {
  sb2 OCIDateYYYY;
  ub1 OCIDateMM;
  ub1 OCIDateDD;
  OCITime OCIDateTime;
};

using OCIDuration = ub2;
using OCITypeCode = ub2;
using OCIInd = sb2;

enum OCIPinOpt { OCI_PIN_DEFAULT = 1, OCI_PIN_ANY = 3, OCI_PIN_RECENT = 4, OCI_PIN_LATEST = 5 };
enum OCILockOpt { OCI_LOCK_NONE = 1, OCI_LOCK_X = 2, OCI_LOCK_X_NOWAIT = 3 };
enum OCITypeGetOpt { OCI_TYPEGET_HEADER = 0, OCI_TYPEGET_ALL = 1 };

// ---------------------------------------------------------------------------------------------
// Callbacks.

// Dynamic define: called at fetch time for each value, or each piece of a LONG value. On entry
// *piecep says what is wanted (OCI_ONE_PIECE, OCI_FIRST_PIECE, OCI_NEXT_PIECE); the callback
// stores a buffer in *bufpp, a pointer to a ub4 holding the buffer capacity in *alenp (the library
// overwrites it with the bytes written), an indicator (sb2) in *indp and a return code cell (ub2)
// in *rcodep, and answers OCI_CONTINUE. `iter` is the row index within the current fetch.
using OCICallbackDefine = sb4 (*)(void* octxp, OCIDefine* defnp, ub4 iter, void** bufpp,
                                  ub4** alenp, ub1* piecep, void** indp, ub2** rcodep);
using OCICallbackInBind = sb4 (*)(void* ictxp, OCIBind* bindp, ub4 iter, ub4 index, void** bufpp,
                                  ub4* alenp, ub1* piecep, void** indp);
using OCICallbackOutBind = sb4 (*)(void* octxp, OCIBind* bindp, ub4 iter, ub4 index, void** bufpp,
                                   ub4** alenp, ub1* piecep, void** indp, ub2** rcodep);
using OCICallbackLobRead = sb4 (*)(void* ctxp, const void* bufp, ub4 len, ub1 piece);
using OCICallbackLobWrite = sb4 (*)(void* ctxp, void* bufp, ub4* lenp, ub1* piece);

// ---------------------------------------------------------------------------------------------
// Return codes of every OCI call.

inline constexpr sword OCI_SUCCESS = 0;
inline constexpr sword OCI_SUCCESS_WITH_INFO = 1;
inline constexpr sword OCI_NEED_DATA = 99;
inline constexpr sword OCI_NO_DATA = 100;
inline constexpr sword OCI_ERROR = -1;
inline constexpr sword OCI_INVALID_HANDLE = -2;
inline constexpr sword OCI_STILL_EXECUTING = -3123;
inline constexpr sword OCI_CONTINUE = -24200;

// Longest error text OCIErrorGet produces.
inline constexpr ub4 OCI_ERROR_MAXMSG_SIZE = 1024;

// ---------------------------------------------------------------------------------------------
// Handle types (OCIHandleAlloc/Free, OCIAttrGet/Set, OCIErrorGet).

inline constexpr ub4 OCI_HTYPE_ENV = 1;
inline constexpr ub4 OCI_HTYPE_ERROR = 2;
inline constexpr ub4 OCI_HTYPE_SVCCTX = 3;
inline constexpr ub4 OCI_HTYPE_STMT = 4;
inline constexpr ub4 OCI_HTYPE_BIND = 5;
inline constexpr ub4 OCI_HTYPE_DEFINE = 6;
inline constexpr ub4 OCI_HTYPE_DESCRIBE = 7;
inline constexpr ub4 OCI_HTYPE_SERVER = 8;
inline constexpr ub4 OCI_HTYPE_SESSION = 9;
inline constexpr ub4 OCI_HTYPE_TRANS = 10;
inline constexpr ub4 OCI_HTYPE_COMPLEXOBJECT = 11;
inline constexpr ub4 OCI_HTYPE_SECURITY = 12;
inline constexpr ub4 OCI_HTYPE_SUBSCRIPTION = 13;
inline constexpr ub4 OCI_HTYPE_DIRPATH_CTX = 14;
inline constexpr ub4 OCI_HTYPE_DIRPATH_COLUMN_ARRAY = 15;
inline constexpr ub4 OCI_HTYPE_DIRPATH_STREAM = 16;
inline constexpr ub4 OCI_HTYPE_PROC = 17;

// Descriptor types (OCIDescriptorAlloc/Free, OCIParamGet).
inline constexpr ub4 OCI_DTYPE_LOB = 50;
inline constexpr ub4 OCI_DTYPE_SNAP = 51;
inline constexpr ub4 OCI_DTYPE_RSET = 52;
inline constexpr ub4 OCI_DTYPE_PARAM = 53;
inline constexpr ub4 OCI_DTYPE_ROWID = 54;
inline constexpr ub4 OCI_DTYPE_COMPLEXOBJECTCOMP = 55;
inline constexpr ub4 OCI_DTYPE_FILE = 56;
inline constexpr ub4 OCI_DTYPE_INTERVAL_YM = 62;
inline constexpr ub4 OCI_DTYPE_INTERVAL_DS = 63;
inline constexpr ub4 OCI_DTYPE_DATE = 65;
inline constexpr ub4 OCI_DTYPE_TIMESTAMP = 68;
inline constexpr ub4 OCI_DTYPE_TIMESTAMP_TZ = 69;
inline constexpr ub4 OCI_DTYPE_TIMESTAMP_LTZ = 70;

// ---------------------------------------------------------------------------------------------
// Modes and flags.

inline constexpr ub4 OCI_DEFAULT = 0x00;

// OCIInitialize / OCIEnvCreate / OCIEnvInit
inline constexpr ub4 OCI_THREADED = 0x01;
inline constexpr ub4 OCI_OBJECT = 0x02;
inline constexpr ub4 OCI_EVENTS = 0x04;
inline constexpr ub4 OCI_ENV_NO_MUTEX = 0x08;  // OCIEnvInit
inline constexpr ub4 OCI_NO_MUTEX = 0x80;      // OCIEnvCreate

// OCISessionBegin: credentials and modes
inline constexpr ub4 OCI_CRED_RDBMS = 1;  // user name and password attributes of the session
inline constexpr ub4 OCI_CRED_EXT = 2;    // operating-system authentication
inline constexpr ub4 OCI_MIGRATE = 0x01;
inline constexpr ub4 OCI_SYSDBA = 0x02;
inline constexpr ub4 OCI_SYSOPER = 0x04;
inline constexpr ub4 OCI_PRELIM_AUTH = 0x08;

// OCIPasswordChange: change the password and open the session in one call
inline constexpr ub4 OCI_AUTH = 0x08;

// OCIStmtPrepare language
inline constexpr ub4 OCI_NTV_SYNTAX = 1;
inline constexpr ub4 OCI_V7_SYNTAX = 2;
inline constexpr ub4 OCI_V8_SYNTAX = 3;

// OCIStmtExecute modes
inline constexpr ub4 OCI_BATCH_MODE = 0x01;
inline constexpr ub4 OCI_EXACT_FETCH = 0x02;
inline constexpr ub4 OCI_KEEP_FETCH_STATE = 0x04;
inline constexpr ub4 OCI_STMT_SCROLLABLE_READONLY = 0x08;
inline constexpr ub4 OCI_DESCRIBE_ONLY = 0x10;
inline constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x20;
inline constexpr ub4 OCI_NON_BLOCKING = 0x40;
inline constexpr ub4 OCI_BATCH_ERRORS = 0x80;
inline constexpr ub4 OCI_PARSE_ONLY = 0x100;

// OCIStmtFetch orientations (only OCI_FETCH_NEXT for a non-scrollable statement)
inline constexpr ub2 OCI_FETCH_CURRENT = 0x01;
inline constexpr ub2 OCI_FETCH_NEXT = 0x02;
inline constexpr ub2 OCI_FETCH_FIRST = 0x04;
inline constexpr ub2 OCI_FETCH_LAST = 0x08;
inline constexpr ub2 OCI_FETCH_PRIOR = 0x10;
inline constexpr ub2 OCI_FETCH_ABSOLUTE = 0x20;
inline constexpr ub2 OCI_FETCH_RELATIVE = 0x40;

// Bind and define modes
inline constexpr ub4 OCI_SB2_IND_PTR = 0x01;
inline constexpr ub4 OCI_DATA_AT_EXEC = 0x02;   // bind
inline constexpr ub4 OCI_DYNAMIC_FETCH = 0x02;  // define
inline constexpr ub4 OCI_PIECEWISE = 0x04;

// Transaction flags
inline constexpr ub4 OCI_TRANS_NEW = 0x00000001;
inline constexpr ub4 OCI_TRANS_TWOPHASE = 0x01000000;

// Piece codes (dynamic define, piecewise operations)
inline constexpr ub1 OCI_ONE_PIECE = 0;
inline constexpr ub1 OCI_FIRST_PIECE = 1;
inline constexpr ub1 OCI_NEXT_PIECE = 2;
inline constexpr ub1 OCI_LAST_PIECE = 3;

// OCIStmtGetPieceInfo direction
inline constexpr ub1 OCI_PARAM_IN = 0x01;
inline constexpr ub1 OCI_PARAM_OUT = 0x02;

// ---------------------------------------------------------------------------------------------
// Attributes (OCIAttrGet / OCIAttrSet). The value type the engine reads or writes is noted; a
// caller must pass a buffer of at least that size.

inline constexpr ub4 OCI_ATTR_FNCODE = 1;
inline constexpr ub4 OCI_ATTR_ENV = 5;             // any handle: OCIEnv*
inline constexpr ub4 OCI_ATTR_SERVER = 6;          // svcctx: OCIServer* (set with size 0)
inline constexpr ub4 OCI_ATTR_SESSION = 7;         // svcctx: OCISession*
inline constexpr ub4 OCI_ATTR_TRANS = 8;           // svcctx: OCITrans*
inline constexpr ub4 OCI_ATTR_ROW_COUNT = 9;       // stmt: ub4
inline constexpr ub4 OCI_ATTR_SQLFNCODE = 10;      // stmt: ub2, classic function codes (below)
inline constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;  // stmt: ub4
inline constexpr ub4 OCI_ATTR_NESTED_PREFETCH_ROWS = 12;
inline constexpr ub4 OCI_ATTR_PREFETCH_MEMORY = 13;  // stmt: ub4 bytes
inline constexpr ub4 OCI_ATTR_NESTED_PREFETCH_MEMORY = 14;
inline constexpr ub4 OCI_ATTR_CHAR_COUNT = 15;
inline constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;  // stmt: ub4, select-list length
inline constexpr ub4 OCI_ATTR_ROWID = 19;  // stmt: the OCIRowid* descriptor itself, filled
inline constexpr ub4 OCI_ATTR_CHARSET = 20;
inline constexpr ub4 OCI_ATTR_NCHAR = 21;
inline constexpr ub4 OCI_ATTR_USERNAME = 22;   // session: text + length
inline constexpr ub4 OCI_ATTR_PASSWORD = 23;   // session: text + length
inline constexpr ub4 OCI_ATTR_STMT_TYPE = 24;  // stmt: ub2, OCI_STMT_* (valid after prepare)
inline constexpr ub4 OCI_ATTR_INTERNAL_NAME = 25;
inline constexpr ub4 OCI_ATTR_EXTERNAL_NAME = 26;
inline constexpr ub4 OCI_ATTR_CHARSET_ID = 31;
inline constexpr ub4 OCI_ATTR_CHARSET_FORM = 32;
inline constexpr ub4 OCI_ATTR_MAXDATA_SIZE = 33;
inline constexpr ub4 OCI_ATTR_ROWS_RETURNED = 42;
inline constexpr ub4 OCI_ATTR_NONBLOCKING_MODE = 3;
inline constexpr ub4 OCI_ATTR_SERVER_STATUS = 143;  // server: ub4, OCI_SERVER_*
inline constexpr ub4 OCI_ATTR_STATEMENT = 144;      // stmt: text of the prepared statement
inline constexpr ub4 OCI_ATTR_CURRENT_POSITION = 164;
inline constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197;  // stmt: ub4, rows of the last fetch (9i)

// The parse error offset (stmt: ub2, 0-based byte offset into the statement text) has number 129
// from release 8.1 on; 8.0 clients ask for it under 128, which later headers call OCI_ATTR_LTYPE.
// The engine answers both on a statement handle.
inline constexpr ub4 OCI_ATTR_LTYPE = 128;
inline constexpr ub4 OCI_ATTR_PARSE_ERROR_OFFSET = 129;
inline constexpr ub4 OCI_ATTR_PARSE_ERROR_OFFSET_V80 = 128;

// Parameter (select-list column) attributes.
inline constexpr ub4 OCI_ATTR_DATA_SIZE = 1;  // ub2, bytes
inline constexpr ub4 OCI_ATTR_DATA_TYPE = 2;  // ub2, internal type code (SQLT_* numbering)
inline constexpr ub4 OCI_ATTR_DISP_SIZE = 3;  // ub2
inline constexpr ub4 OCI_ATTR_NAME = 4;       // OraText* into the descriptor, length in *sizep
inline constexpr ub4 OCI_ATTR_PRECISION = 5;  // sb2 (only its low byte matters: 0..38)
inline constexpr ub4 OCI_ATTR_SCALE = 6;      // sb1 (-127 for FLOAT)
inline constexpr ub4 OCI_ATTR_IS_NULL = 7;    // ub1, non-zero when the column may be NULL
inline constexpr ub4 OCI_ATTR_TYPE_NAME = 8;
inline constexpr ub4 OCI_ATTR_SCHEMA_NAME = 9;
inline constexpr ub4 OCI_ATTR_SUB_NAME = 10;
inline constexpr ub4 OCI_ATTR_POSITION = 11;
inline constexpr ub4 OCI_ATTR_CHAR_USED = 285;
inline constexpr ub4 OCI_ATTR_CHAR_SIZE = 286;

// OCI_ATTR_SERVER_STATUS values
inline constexpr ub4 OCI_SERVER_NOT_CONNECTED = 0x0;
inline constexpr ub4 OCI_SERVER_NORMAL = 0x1;

// ---------------------------------------------------------------------------------------------
// Statement types (OCI_ATTR_STMT_TYPE).

inline constexpr ub2 OCI_STMT_UNKNOWN = 0;
inline constexpr ub2 OCI_STMT_SELECT = 1;
inline constexpr ub2 OCI_STMT_UPDATE = 2;
inline constexpr ub2 OCI_STMT_DELETE = 3;
inline constexpr ub2 OCI_STMT_INSERT = 4;
inline constexpr ub2 OCI_STMT_CREATE = 5;
inline constexpr ub2 OCI_STMT_DROP = 6;
inline constexpr ub2 OCI_STMT_ALTER = 7;
inline constexpr ub2 OCI_STMT_BEGIN = 8;
inline constexpr ub2 OCI_STMT_DECLARE = 9;

// SQL function codes in the classic (release 7) numbering: OCI_ATTR_SQLFNCODE and the `ft` field
// of a cursor data area. The statements this program meets; the numbering goes on to 99.
inline constexpr ub2 OCI_FNCODE_CREATETABLE = 1;
inline constexpr ub2 OCI_FNCODE_INSERT = 3;
inline constexpr ub2 OCI_FNCODE_SELECT = 4;
inline constexpr ub2 OCI_FNCODE_UPDATE = 5;
inline constexpr ub2 OCI_FNCODE_DROPTABLE = 8;
inline constexpr ub2 OCI_FNCODE_DELETE = 9;
inline constexpr ub2 OCI_FNCODE_DROPUSER = 11;
inline constexpr ub2 OCI_FNCODE_CREATEUSER = 19;
inline constexpr ub2 OCI_FNCODE_ALTERTABLE = 26;
inline constexpr ub2 OCI_FNCODE_GRANT = 28;
inline constexpr ub2 OCI_FNCODE_REVOKE = 29;
inline constexpr ub2 OCI_FNCODE_SETTRANSACTION = 33;
inline constexpr ub2 OCI_FNCODE_PLSQL = 34;
inline constexpr ub2 OCI_FNCODE_LOCKTABLE = 35;
inline constexpr ub2 OCI_FNCODE_CREATETABLESPACE = 49;
inline constexpr ub2 OCI_FNCODE_DROPTABLESPACE = 51;
inline constexpr ub2 OCI_FNCODE_ALTERSESSION = 52;
inline constexpr ub2 OCI_FNCODE_ALTERUSER = 53;
inline constexpr ub2 OCI_FNCODE_COMMIT = 54;
inline constexpr ub2 OCI_FNCODE_ROLLBACK = 55;
inline constexpr ub2 OCI_FNCODE_SAVEPOINT = 56;
inline constexpr ub2 OCI_FNCODE_TRUNCATETABLE = 85;

// ---------------------------------------------------------------------------------------------
// External data type codes (defines, binds) and internal column types (describe).

inline constexpr ub2 SQLT_CHR = 1;  // VARCHAR2; as internal type: VARCHAR2 column
inline constexpr ub2 SQLT_NUM = 2;  // NUMBER (22-byte internal form); internal: NUMBER column
inline constexpr ub2 SQLT_INT = 3;  // signed integer of value_sz bytes
inline constexpr ub2 SQLT_FLT = 4;  // float/double of value_sz bytes
inline constexpr ub2 SQLT_STR = 5;  // NUL-terminated text
inline constexpr ub2 SQLT_VNU = 6;
inline constexpr ub2 SQLT_PDN = 7;
inline constexpr ub2 SQLT_LNG = 8;  // LONG
inline constexpr ub2 SQLT_VCS = 9;
inline constexpr ub2 SQLT_NON = 10;
inline constexpr ub2 SQLT_RID = 11;  // ROWID
inline constexpr ub2 SQLT_DAT = 12;  // 7-byte date
inline constexpr ub2 SQLT_VBI = 15;
inline constexpr ub2 SQLT_BFLOAT = 21;
inline constexpr ub2 SQLT_BDOUBLE = 22;
inline constexpr ub2 SQLT_BIN = 23;  // RAW
inline constexpr ub2 SQLT_LBI = 24;  // LONG RAW
inline constexpr ub2 SQLT_UIN = 68;
inline constexpr ub2 SQLT_SLS = 91;
inline constexpr ub2 SQLT_LVC = 94;
inline constexpr ub2 SQLT_LVB = 95;
inline constexpr ub2 SQLT_AFC = 96;  // CHAR
inline constexpr ub2 SQLT_AVC = 97;
inline constexpr ub2 SQLT_IBFLOAT = 100;
inline constexpr ub2 SQLT_IBDOUBLE = 101;
inline constexpr ub2 SQLT_CUR = 102;
inline constexpr ub2 SQLT_RDD = 104;  // ROWID descriptor
inline constexpr ub2 SQLT_LAB = 105;
inline constexpr ub2 SQLT_OSL = 106;  // MLSLABEL
inline constexpr ub2 SQLT_NTY = 108;  // named type
inline constexpr ub2 SQLT_REF = 110;
inline constexpr ub2 SQLT_CLOB = 112;
inline constexpr ub2 SQLT_BLOB = 113;
inline constexpr ub2 SQLT_BFILEE = 114;
inline constexpr ub2 SQLT_BFILE = 114;
inline constexpr ub2 SQLT_FILE = 114;
inline constexpr ub2 SQLT_CFILEE = 115;
inline constexpr ub2 SQLT_RSET = 116;
inline constexpr ub2 SQLT_NCO = 122;
inline constexpr ub2 SQLT_VST = 155;
inline constexpr ub2 SQLT_ODT = 156;
inline constexpr ub2 SQLT_DATE = 184;
inline constexpr ub2 SQLT_TIME = 185;
inline constexpr ub2 SQLT_TIME_TZ = 186;
inline constexpr ub2 SQLT_TIMESTAMP = 187;
inline constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
inline constexpr ub2 SQLT_INTERVAL_YM = 189;
inline constexpr ub2 SQLT_INTERVAL_DS = 190;
inline constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;

// Character-set id a client passes to read text as UTF-16 (OCILobRead and the like).
inline constexpr ub2 OCI_UTF16ID = 1000;
// Character-set form of a CLOB: the database character set.
inline constexpr ub1 SQLCS_IMPLICIT = 1;
// OCILobFileOpen mode.
inline constexpr ub1 OCI_FILE_READONLY = 1;

// OCINlsGetInfo items. Texts come NUL-terminated in the character set of the handle; the four
// numeric items at the end come as a ub2. Another item, or a buffer too small for the answer,
// fails with ORA-24315.
inline constexpr ub2 OCI_NLS_DAYNAME1 = 1;  // Monday; 2..7 the days after it
inline constexpr ub2 OCI_NLS_DAYNAME7 = 7;
inline constexpr ub2 OCI_NLS_ABDAYNAME1 = 8;
inline constexpr ub2 OCI_NLS_ABDAYNAME7 = 14;
inline constexpr ub2 OCI_NLS_MONTHNAME1 = 15;  // January; 16..26 the months after it
inline constexpr ub2 OCI_NLS_MONTHNAME12 = 26;
inline constexpr ub2 OCI_NLS_ABMONTHNAME1 = 27;
inline constexpr ub2 OCI_NLS_ABMONTHNAME12 = 38;
inline constexpr ub2 OCI_NLS_YES = 39;
inline constexpr ub2 OCI_NLS_NO = 40;
inline constexpr ub2 OCI_NLS_AM = 41;
inline constexpr ub2 OCI_NLS_PM = 42;
inline constexpr ub2 OCI_NLS_AD = 43;
inline constexpr ub2 OCI_NLS_BC = 44;
inline constexpr ub2 OCI_NLS_DECIMAL = 45;
inline constexpr ub2 OCI_NLS_GROUP = 46;
inline constexpr ub2 OCI_NLS_DEBIT = 47;
inline constexpr ub2 OCI_NLS_CREDIT = 48;
inline constexpr ub2 OCI_NLS_DATEFORMAT = 49;
inline constexpr ub2 OCI_NLS_INT_CURRENCY = 50;
inline constexpr ub2 OCI_NLS_LOC_CURRENCY = 51;
inline constexpr ub2 OCI_NLS_LANGUAGE = 52;
inline constexpr ub2 OCI_NLS_ABLANGUAGE = 53;
inline constexpr ub2 OCI_NLS_TERRITORY = 54;
inline constexpr ub2 OCI_NLS_CHARACTER_SET = 55;
inline constexpr ub2 OCI_NLS_LINGUISTIC_NAME = 56;
inline constexpr ub2 OCI_NLS_CALENDAR = 57;
inline constexpr ub2 OCI_NLS_DUAL_CURRENCY = 78;
inline constexpr ub2 OCI_NLS_ABTERRITORY = 80;
inline constexpr ub2 OCI_NLS_LISTSEP = 86;
inline constexpr ub2 OCI_NLS_MONDECIMAL = 87;
inline constexpr ub2 OCI_NLS_MONGROUP = 88;
inline constexpr ub2 OCI_NLS_INT_CURRENCYSEP = 90;
inline constexpr ub2 OCI_NLS_CHARSET_MAXBYTESZ = 91;
inline constexpr ub2 OCI_NLS_CHARSET_FIXEDWIDTH = 92;
inline constexpr ub2 OCI_NLS_CHARSET_ID = 93;
inline constexpr ub2 OCI_NLS_NCHARSET_ID = 94;
inline constexpr std::size_t OCI_NLS_MAXBUFSZ = 100;

// OCIDateTimeCheck: the faults of a datetime value, or 0 when it is valid.
inline constexpr ub4 OCI_DT_INVALID_DAY = 0x1;
inline constexpr ub4 OCI_DT_DAY_BELOW_VALID = 0x2;
inline constexpr ub4 OCI_DT_INVALID_MONTH = 0x4;
inline constexpr ub4 OCI_DT_MONTH_BELOW_VALID = 0x8;
inline constexpr ub4 OCI_DT_INVALID_YEAR = 0x10;
inline constexpr ub4 OCI_DT_YEAR_BELOW_VALID = 0x20;
inline constexpr ub4 OCI_DT_INVALID_HOUR = 0x40;
inline constexpr ub4 OCI_DT_HOUR_BELOW_VALID = 0x80;
inline constexpr ub4 OCI_DT_INVALID_MINUTE = 0x100;
inline constexpr ub4 OCI_DT_MINUTE_BELOW_VALID = 0x200;
inline constexpr ub4 OCI_DT_INVALID_SECOND = 0x400;
inline constexpr ub4 OCI_DT_SECOND_BELOW_VALID = 0x800;
inline constexpr ub4 OCI_DT_DAY_MISSING_FROM_1582 = 0x1000;
inline constexpr ub4 OCI_DT_YEAR_ZERO = 0x2000;
inline constexpr ub4 OCI_DT_INVALID_TIMEZONE = 0x4000;
inline constexpr ub4 OCI_DT_INVALID_FORMAT = 0x8000;

// OCILobOpen modes.
inline constexpr ub1 OCI_LOB_READONLY = 1;
inline constexpr ub1 OCI_LOB_READWRITE = 2;

// Per-row return codes of a define (rcodep) and of the release 7 calls (cda rc).
inline constexpr ub2 OCI_RC_NULL_FETCHED = 1405;  // NULL value and no indicator to say so
inline constexpr ub2 OCI_RC_TRUNCATED = 1406;     // value cut to the buffer

// ---------------------------------------------------------------------------------------------
// Release 7 interface: the logon data area (LDA) and cursor data area (CDA) are one 64-byte
// structure; the host data area passed to olog/orlon is HDA_SIZE bytes.

inline constexpr std::size_t CDA_SIZE = 64;
inline constexpr std::size_t HDA_SIZE = 256;

// opinit modes
inline constexpr ub4 OCI_EV_DEF = 0;  // single-threaded
inline constexpr ub4 OCI_EV_TSF = 1;  // thread-safe
// olog modes
inline constexpr ub4 OCI_LM_DEF = 0;  // blocking
inline constexpr ub4 OCI_LM_NBL = 1;  // non-blocking

// Release 7 function codes kept in the `fc` field.
inline constexpr ub1 OCI7_FC_OEXEC = 4;
inline constexpr ub1 OCI7_FC_ODEFIN = 8;
inline constexpr ub1 OCI7_FC_OFEN = 12;
inline constexpr ub1 OCI7_FC_OOPEN = 14;
inline constexpr ub1 OCI7_FC_OCLOSE = 16;
inline constexpr ub1 OCI7_FC_OPARSE = 54;
inline constexpr ub1 OCI7_FC_OEXFET = 56;
inline constexpr ub1 OCI7_FC_OFLNG = 58;
inline constexpr ub1 OCI7_FC_ODESCR = 60;
inline constexpr ub1 OCI7_FC_OBNDRA = 62;

struct cda_head {
  sb2 v2_rc;  // return code in the old form (equals the function's result)
  ub2 ft;     // SQL function code of the parsed statement
  ub4 rpc;    // rows processed (cumulative over fetches)
  ub2 peo;    // parse error offset
  ub1 fc;     // function code of the last call
  ub1 rcs1;
  ub2 rc;   // Oracle error number of the last call, 0 on success
  ub1 wrn;  // warning flags
  ub1 rcs2;
  sword rcs3;
  struct {
    struct {
      ub4 rcs4;
      ub2 rcs5;
      ub1 rcs6;
    } rd;
    ub4 rcs7;
    ub2 rcs8;
  } rid;
  sword ose;  // operating-system error
  ub1 chk;
  void* rcsp;  // reserved for the library
};

struct cda_def : cda_head {
  ub1 rcs9[CDA_SIZE - sizeof(cda_head)];
};

using Cda_Def = cda_def;
using Lda_Def = cda_def;

static_assert(sizeof(cda_def) == CDA_SIZE, "a cursor data area is 64 bytes");
static_assert(offsetof(cda_head, ft) == 2 && offsetof(cda_head, rpc) == 4 &&
                  offsetof(cda_head, peo) == 8 && offsetof(cda_head, fc) == 10 &&
                  offsetof(cda_head, rc) == 12,
              "cursor data area fields at their documented offsets");

// ---------------------------------------------------------------------------------------------
// Prototypes. Every function answers a return code unless its line says otherwise.

extern "C" {

// Release 7 group.
sword orlon(Lda_Def* lda, ub1* hda, OraText* uid, sword uidl, OraText* pswd, sword pswdl,
            sword audit);
sword olog(Lda_Def* lda, ub1* hda, OraText* uid, sword uidl, OraText* pswd, sword pswdl,
           OraText* conn, sword connl, ub4 mode);
sword ologof(Lda_Def* lda);
sword oerhms(Lda_Def* lda, sb2 rcode, OraText* buf, sword bufsiz);  // answers the text length
sword oopen(Cda_Def* cursor, Lda_Def* lda, OraText* dbn, sword dbnl, sword arsize, OraText* uid,
            sword uidl);
sword oparse(Cda_Def* cursor, OraText* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg);
sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl,
             sb4* dsize, sb2* prec, sb2* scale, sb2* nullok);
sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword scale, sb2* indp,
             OraText* fmt, sword fmtl, sword fmtt, ub2* rlen, ub2* rcode);
sword oexfet(Cda_Def* cursor, ub4 nrows, sword cancel, sword exact);
sword ofen(Cda_Def* cursor, sword nrows);
sword oflng(Cda_Def* cursor, sword pos, ub1* buf, sb4 bufl, sword dtype, ub4* retl, sb4 offset);
sword oexec(Cda_Def* cursor);
sword oexn(Cda_Def* cursor, sword iters, sword rowoff);
sword oclose(Cda_Def* cursor);
sword obndra(Cda_Def* cursor, OraText* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword scale, sb2* indp, ub2* alen, ub2* arcode, ub4 maxsiz, ub4* cursiz, OraText* fmt,
             sword fmtl, sword fmtt);
sword ocom(Lda_Def* lda);
sword orol(Lda_Def* lda);
sword ocon(Lda_Def* lda);
sword ocof(Lda_Def* lda);
sword obreak(Lda_Def* lda);
sword odessp(Cda_Def* cursor, OraText* objnam, std::size_t onlen, ub1* rsv1, std::size_t rsv1ln,
             ub1* rsv2, std::size_t rsv2ln, ub2* ovrld, ub2* pos, ub2* level, OraText** argnam,
             ub2* arnlen, ub2* dtype, ub1* defsup, ub1* mode, ub4* dtsiz, sb2* prec, sb2* scale,
             ub1* radix, ub4* spare, ub4* arrsiz);
sword opinit(ub4 mode);

// Release 8 group.
sword OCIInitialize(ub4 mode, void* ctxp, void* (*malocfp)(void* ctxp, std::size_t size),
                    void* (*ralocfp)(void* ctxp, void* memptr, std::size_t newsize),
                    void (*mfreefp)(void* ctxp, void* memptr));
sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type,
                     const std::size_t xtramem_sz, void** usrmempp);
sword OCIHandleFree(void* hndlp, const ub4 type);
sword OCIDescriptorAlloc(const void* parenth, void** descpp, const ub4 type,
                         const std::size_t xtramem_sz, void** usrmempp);
sword OCIDescriptorFree(void* descp, const ub4 type);
sword OCIEnvInit(OCIEnv** envp, ub4 mode, std::size_t xtramem_sz, void** usrmempp);
sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len,
                      ub4 mode);
sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4 mode);
sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode);
sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp, const OraText* username,
               ub4 uname_len, const OraText* password, ub4 passwd_len, const OraText* dbname,
               ub4 dbname_len);
sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp);
sword OCIPasswordChange(OCISvcCtx* svchp, OCIError* errhp, const OraText* user_name, ub4 usernm_len,
                        const OraText* opasswd, ub4 opasswd_len, const OraText* npasswd,
                        ub4 npasswd_len, ub4 mode);
sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len,
                     ub4 language, ub4 mode);
sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position, void* valuep,
                   sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                   ub4* curelep, ub4 mode);
sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, const OraText* placeholder,
                    sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                    ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode);
sword OCIBindObject(OCIBind* bindp, OCIError* errhp, const OCIType* type, void** pgvpp, ub4* pvszsp,
                    void** indpp, ub4* indszp);
sword OCIBindDynamic(OCIBind* bindp, OCIError* errhp, void* ictxp, OCICallbackInBind icbfp,
                     void* octxp, OCICallbackOutBind ocbfp);
sword OCIBindArrayOfStruct(OCIBind* bindp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 alskip,
                           ub4 rcskip);
sword OCIStmtGetPieceInfo(OCIStmt* stmtp, OCIError* errhp, void** hndlpp, ub4* typep, ub1* in_outp,
                          ub4* iterp, ub4* idxp, ub1* piecep);
sword OCIStmtSetPieceInfo(void* hndlp, ub4 type, OCIError* errhp, const void* bufp, ub4* alenp,
                          ub1 piece, const void* indp, ub2* rcodep);
sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode);
sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position, void* valuep,
                     sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode);
sword OCIDefineObject(OCIDefine* defnp, OCIError* errhp, const OCIType* type, void** pgvpp,
                      ub4* pvszsp, void** indpp, ub4* indszp);
sword OCIDefineDynamic(OCIDefine* defnp, OCIError* errhp, void* octxp, OCICallbackDefine ocbfp);
sword OCIDefineArrayOfStruct(OCIDefine* defnp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 rlskip,
                             ub4 rcskip);
sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode);
sword OCIStmtGetBindInfo(OCIStmt* stmtp, OCIError* errhp, ub4 size, ub4 startloc, sb4* found,
                         OraText* bvnp[], ub1 bvnl[], OraText* invp[], ub1 inpl[], ub1 dupl[],
                         OCIBind* hndl[]);
sword OCIDescribeAny(OCISvcCtx* svchp, OCIError* errhp, void* objptr, ub4 objnm_len, ub1 objptr_typ,
                     ub1 info_level, ub1 objtyp, OCIDescribe* dschp);
sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos);
sword OCIParamSet(void* hdlp, ub4 htyp, OCIError* errhp, const void* dscp, ub4 dtyp, ub4 pos);
sword OCITransStart(OCISvcCtx* svchp, OCIError* errhp, uword timeout, ub4 flags);
sword OCITransDetach(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCITransPrepare(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCITransForget(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp,
                  ub4 bufsiz, ub4 type);
sword OCILobAppend(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                   OCILobLocator* src_locp);
sword OCILobAssign(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* src_locp,
                   OCILobLocator** dst_locpp);
sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm);
sword OCILobCharSetId(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub2* csid);
sword OCILobCopy(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                 OCILobLocator* src_locp, ub4 amount, ub4 dst_offset, ub4 src_offset);
sword OCILobDisableBuffering(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
sword OCILobEnableBuffering(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
sword OCILobErase(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amount, ub4 offset);
sword OCILobFileClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep);
sword OCILobFileCloseAll(OCISvcCtx* svchp, OCIError* errhp);
sword OCILobFileExists(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, int* flag);
sword OCILobFileGetName(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* filep,
                        OraText* dir_alias, ub2* d_length, OraText* filename, ub2* f_length);
sword OCILobFileIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, int* flag);
sword OCILobFileOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, ub1 mode);
sword OCILobFileSetName(OCIEnv* envhp, OCIError* errhp, OCILobLocator** filepp,
                        const OraText* dir_alias, ub2 d_length, const OraText* filename,
                        ub2 f_length);
sword OCILobFlushBuffer(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4 flag);
sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp);
sword OCILobIsEqual(OCIEnv* envhp, const OCILobLocator* x, const OCILobLocator* y, int* is_equal);
sword OCILobLoadFromFile(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                         OCILobLocator* src_filep, ub4 amount, ub4 dst_offset, ub4 src_offset);
sword OCILobLocatorIsInit(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp,
                          int* is_initialized);
sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                 void* bufp, ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm);
sword OCILobTrim(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4 newlen);
sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                  void* bufp, ub4 buflen, ub1 piece, void* ctxp, OCICallbackLobWrite cbfp, ub2 csid,
                  ub1 csfrm);
// Temporary LOBs (release 8.1): lobtype OCI_TEMP_BLOB or OCI_TEMP_CLOB; cache is a boolean.
inline constexpr ub1 OCI_TEMP_BLOB = 1;
inline constexpr ub1 OCI_TEMP_CLOB = 2;
inline constexpr OCIDuration OCI_DURATION_SESSION = 10;
sword OCILobCreateTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub2 csid,
                            ub1 csfrm, ub1 lobtype, int cache, OCIDuration duration);
sword OCILobFreeTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
sword OCIBreak(void* hndlp, OCIError* errhp);
// Writes a NUL-terminated banner (lines separated by LF) of at most bufsz bytes; hndltype is
// OCI_HTYPE_SVCCTX or OCI_HTYPE_SERVER.
sword OCIServerVersion(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype);
sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                 OCIError* errhp);
sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype,
                 OCIError* errhp);
sword OCISvcCtxToLda(OCISvcCtx* svchp, OCIError* errhp, Lda_Def* ldap);
sword OCILdaToSvcCtx(OCISvcCtx** svchpp, OCIError* errhp, Lda_Def* ldap);
sword OCIResultSetToStmt(OCIResult* rsetdp, OCIError* errhp);
sword OCIObjectUnpin(OCIEnv* env, OCIError* err, void* object);
sword OCIObjectLock(OCIEnv* env, OCIError* err, void* object);
sword OCIObjectMarkUpdate(OCIEnv* env, OCIError* err, void* object);
sword OCIObjectUnmark(OCIEnv* env, OCIError* err, void* object);
sword OCIObjectMarkDelete(OCIEnv* env, OCIError* err, void* instance);
sword OCIObjectFlush(OCIEnv* env, OCIError* err, void* object);
sword OCIObjectCopy(OCIEnv* env, OCIError* err, const OCISvcCtx* svc, void* source,
                    void* null_source, void* target, void* null_target, OCIType* tdo,
                    OCIDuration duration, ub1 option);
sword OCIObjectGetTypeRef(OCIEnv* env, OCIError* err, void* instance, OCIRef* type_ref);
sword OCIObjectGetObjectRef(OCIEnv* env, OCIError* err, void* object, OCIRef* object_ref);
sword OCIObjectGetInd(OCIEnv* env, OCIError* err, void* instance, void** null_struct);
sword OCIObjectExists(OCIEnv* env, OCIError* err, void* ins, int* exist);
sword OCIObjectIsLocked(OCIEnv* env, OCIError* err, void* ins, int* lock);
sword OCIObjectIsDirty(OCIEnv* env, OCIError* err, void* ins, int* dirty);
sword OCIObjectRefresh(OCIEnv* env, OCIError* err, void* object);
sword OCIObjectPinTable(OCIEnv* env, OCIError* err, const OCISvcCtx* svc,
                        const OraText* schema_name, ub4 s_n_length, const OraText* object_name,
                        ub4 o_n_length, const OCIRef* scope_obj_ref, OCIDuration pin_duration,
                        void** object);
// Type codes of OCIObjectNew for an object and a reference; OCIObjectFree's flag that frees a
// pinned or dirty instance all the same.
inline constexpr OCITypeCode OCI_TYPECODE_OBJECT = 108;
inline constexpr OCITypeCode OCI_TYPECODE_REF = 110;
inline constexpr ub2 OCI_OBJECTFREE_FORCE = 0x0001;
sword OCIObjectNew(OCIEnv* env, OCIError* err, const OCISvcCtx* svc, OCITypeCode typecode,
                   OCIType* tdo, void* table, OCIDuration duration, int value, void** instance);
sword OCIObjectPin(OCIEnv* env, OCIError* err, OCIRef* object_ref, OCIComplexObject* corhdl,
                   OCIPinOpt pin_option, OCIDuration pin_duration, OCILockOpt lock_option,
                   void** object);
sword OCIObjectFree(OCIEnv* env, OCIError* err, void* instance, ub2 flags);
sword OCITypeByName(OCIEnv* env, OCIError* err, const OCISvcCtx* svc, const OraText* schema_name,
                    ub4 s_length, const OraText* type_name, ub4 t_length,
                    const OraText* version_name, ub4 v_length, OCIDuration pin_duration,
                    OCITypeGetOpt get_option, OCIType** tdo);
sword OCIObjectGetAttr(OCIEnv* env, OCIError* err, void* instance, void* null_struct, OCIType* tdo,
                       const OraText** names, const ub4* lengths, const ub4 name_count,
                       const ub4* indexes, const ub4 index_count, OCIInd* attr_null_status,
                       void** attr_null_struct, void** attr_value, OCIType** attr_tdo);
sword OCIObjectSetAttr(OCIEnv* env, OCIError* err, void* instance, void* null_struct, OCIType* tdo,
                       const OraText** names, const ub4* lengths, const ub4 name_count,
                       const ub4* indexes, const ub4 index_count, const OCIInd null_status,
                       const void* attr_null_struct, const void* attr_value);
OraText* OCIStringPtr(OCIEnv* env, const OCIString* vs);  // answers a pointer, not a code
sword OCIStringAssignText(OCIEnv* env, OCIError* err, const OraText* rhs, ub4 rhs_len,
                          OCIString** lhs);
sword OCINumberFromInt(OCIError* err, const void* inum, uword inum_length, uword inum_s_flag,
                       OCINumber* number);
sword OCINumberToInt(OCIError* err, const OCINumber* number, uword rsl_length, uword rsl_flag,
                     void* rsl);
sword OCINumberFromReal(OCIError* err, const void* rnum, uword rnum_length, OCINumber* number);
sword OCINumberToReal(OCIError* err, const OCINumber* number, uword rsl_length, void* rsl);
sword OCINumberToText(OCIError* err, const OCINumber* number, const OraText* fmt, ub4 fmt_length,
                      const OraText* nls_params, ub4 nls_p_length, ub4* buf_size, OraText* buf);
sword OCINumberFromText(OCIError* err, const OraText* str, ub4 str_length, const OraText* fmt,
                        ub4 fmt_length, const OraText* nls_params, ub4 nls_p_length,
                        OCINumber* number);
ub1* OCIRawPtr(OCIEnv* env, const OCIRaw* raw);  // answers a pointer
ub4 OCIRawSize(OCIEnv* env, const OCIRaw* raw);  // answers a size
sword OCIRawAssignBytes(OCIEnv* env, OCIError* err, const ub1* rhs, ub4 rhs_len, OCIRaw** lhs);
sword OCIRefAssign(OCIEnv* env, OCIError* err, const OCIRef* source, OCIRef** target);
void OCIRefClear(OCIEnv* env, OCIRef* ref);
int OCIRefIsNull(OCIEnv* env, const OCIRef* ref);  // answers a truth value
sword OCIRefFromHex(OCIEnv* env, OCIError* err, const OCISvcCtx* svc, const OraText* hex,
                    ub4 length, OCIRef** ref);
ub4 OCIRefHexSize(OCIEnv* env, const OCIRef* ref);  // answers a size
sword OCIRefToHex(OCIEnv* env, OCIError* err, const OCIRef* ref, OraText* hex, ub4* hex_length);
sword OCICollSize(OCIEnv* env, OCIError* err, const OCIColl* coll, sb4* size);
sword OCICollTrim(OCIEnv* env, OCIError* err, sb4 trim_num, OCIColl* coll);
sb4 OCICollMax(OCIEnv* env, const OCIColl* coll);  // answers a count
sword OCICollGetElem(OCIEnv* env, OCIError* err, const OCIColl* coll, sb4 index, int* exists,
                     void** elem, void** elemind);
sword OCICollAssignElem(OCIEnv* env, OCIError* err, sb4 index, const void* elem,
                        const void* elemind, OCIColl* coll);
sword OCICollAppend(OCIEnv* env, OCIError* err, const void* elem, const void* elemind,
                    OCIColl* coll);
sword OCITableDelete(OCIEnv* env, OCIError* err, sb4 index, OCITable* tbl);
sword OCICacheFlush(OCIEnv* env, OCIError* err, const OCISvcCtx* svc, void* context,
                    OCIRef* (*get)(void* context, ub1* last), OCIRef** ref);

// Release 8.1 group.
sword OCIEnvCreate(OCIEnv** envp, ub4 mode, void* ctxp,
                   void* (*malocfp)(void* ctxp, std::size_t size),
                   void* (*ralocfp)(void* ctxp, void* memptr, std::size_t newsize),
                   void (*mfreefp)(void* ctxp, void* memptr), std::size_t xtramem_sz,
                   void** usrmempp);
sword OCIDirPathAbort(OCIDirPathCtx* dpctx, OCIError* errhp);
sword OCIDirPathFinish(OCIDirPathCtx* dpctx, OCIError* errhp);
sword OCIDirPathPrepare(OCIDirPathCtx* dpctx, OCISvcCtx* svchp, OCIError* errhp);
sword OCIDirPathColArrayEntrySet(OCIDirPathColArray* dpca, OCIError* errhp, ub4 rownum, ub2 colIdx,
                                 ub1* cvalp, ub4 clen, ub1 cflg);
sword OCIDirPathColArrayToStream(OCIDirPathColArray* dpca, OCIDirPathCtx* dpctx,
                                 OCIDirPathStream* dpstr, OCIError* errhp, ub4 rowcnt, ub4 rowoff);
sword OCIDirPathLoadStream(OCIDirPathCtx* dpctx, OCIDirPathStream* dpstr, OCIError* errhp);
sword OCIDirPathStreamReset(OCIDirPathStream* dpstr, OCIError* errhp);
sword OCIDateTimeToText(void* hndl, OCIError* err, const OCIDateTime* date, const OraText* fmt,
                        ub1 fmt_length, ub1 fsprec, const OraText* lang_name,
                        std::size_t lang_length, ub4* buf_size, OraText* buf);

// National language support (8.1): text between the character set of an environment or session
// handle and 16-bit Unicode, and the locale items of the handle.
sword OCICharSetToUnicode(void* hndl, ub2* dst, std::size_t dstlen, const OraText* src,
                          std::size_t srclen, std::size_t* rsize);
sword OCIUnicodeToCharSet(void* hndl, OraText* dst, std::size_t dstlen, const ub2* src,
                          std::size_t srclen, std::size_t* rsize);
sword OCINlsGetInfo(void* hndl, OCIError* errhp, OraText* buf, std::size_t buflen, ub2 item);

// Datetime and interval descriptors (9i). `hndl` is an environment or user session handle.
sword OCIDateTimeConstruct(void* hndl, OCIError* err, OCIDateTime* datetime, sb2 year, ub1 month,
                           ub1 day, ub1 hour, ub1 min, ub1 sec, ub4 fsec, const OraText* timezone,
                           std::size_t timezone_length);
sword OCIDateTimeGetDate(void* hndl, OCIError* err, const OCIDateTime* datetime, sb2* year,
                         ub1* month, ub1* day);
sword OCIDateTimeGetTime(void* hndl, OCIError* err, OCIDateTime* datetime, ub1* hour, ub1* min,
                         ub1* sec, ub4* fsec);
sword OCIDateTimeGetTimeZoneOffset(void* hndl, OCIError* err, const OCIDateTime* datetime,
                                   sb1* hour, sb1* min);
sword OCIDateTimeCheck(void* hndl, OCIError* err, const OCIDateTime* date, ub4* valid);
sword OCIDateTimeAssign(void* hndl, OCIError* err, const OCIDateTime* from, OCIDateTime* to);
sword OCIDateTimeFromText(void* hndl, OCIError* err, const OraText* date_str,
                          std::size_t dstr_length, const OraText* fmt, ub1 fmt_length,
                          const OraText* lang_name, std::size_t lang_length,
                          OCIDateTime* datetime);
sword OCIIntervalGetYearMonth(void* hndl, OCIError* err, sb4* yr, sb4* mnth,
                              const OCIInterval* interval);
sword OCIIntervalSetYearMonth(void* hndl, OCIError* err, sb4 yr, sb4 mnth, OCIInterval* result);
sword OCIIntervalGetDaySecond(void* hndl, OCIError* err, sb4* dy, sb4* hr, sb4* mm, sb4* ss,
                              sb4* fsec, const OCIInterval* interval);
sword OCIIntervalSetDaySecond(void* hndl, OCIError* err, sb4 dy, sb4 hr, sb4 mm, sb4 ss, sb4 fsec,
                              OCIInterval* result);

// The text form of a ROWID descriptor that a statement's OCI_ATTR_ROWID filled. *outbflp holds
// the buffer size on entry and the text's length on return.
sword OCIRowidToChar(OCIRowid* rowidDesc, OraText* outbfp, ub2* outbflp, OCIError* errhp);

// LOB calls of 8.1 beyond the release 8 group.
sword OCILobOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub1 mode);
sword OCILobClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
sword OCILobIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, int* flag);
sword OCILobGetChunkSize(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* chunksizep);

// Frees the objects of the object cache (the engine has none to keep).
sword OCICacheFree(OCIEnv* env, OCIError* err, const OCISvcCtx* svc);

// Beyond the groups a loader resolves: the 9i fetch with an offset, and cancelling a call.
sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 fetchOffset,
                    ub4 mode);
sword OCIReset(void* hndlp, OCIError* errhp);

}  // extern "C"

// ---------------------------------------------------------------------------------------------
// Function-pointer types for run-time loading: `OCIStmtExecute_t fn = dlsym(lib,
// "OCIStmtExecute")`.

#define QM_OCI_POINTER_TYPE(name) using name##_t = decltype(&::name)
QM_OCI_POINTER_TYPE(orlon);
QM_OCI_POINTER_TYPE(olog);
QM_OCI_POINTER_TYPE(ologof);
QM_OCI_POINTER_TYPE(oerhms);
QM_OCI_POINTER_TYPE(oopen);
QM_OCI_POINTER_TYPE(oparse);
QM_OCI_POINTER_TYPE(odescr);
QM_OCI_POINTER_TYPE(odefin);
QM_OCI_POINTER_TYPE(oexfet);
QM_OCI_POINTER_TYPE(ofen);
QM_OCI_POINTER_TYPE(oflng);
QM_OCI_POINTER_TYPE(oexec);
QM_OCI_POINTER_TYPE(oexn);
QM_OCI_POINTER_TYPE(oclose);
QM_OCI_POINTER_TYPE(obndra);
QM_OCI_POINTER_TYPE(ocom);
QM_OCI_POINTER_TYPE(orol);
QM_OCI_POINTER_TYPE(ocon);
QM_OCI_POINTER_TYPE(ocof);
QM_OCI_POINTER_TYPE(obreak);
QM_OCI_POINTER_TYPE(odessp);
QM_OCI_POINTER_TYPE(opinit);
QM_OCI_POINTER_TYPE(OCIInitialize);
QM_OCI_POINTER_TYPE(OCIHandleAlloc);
QM_OCI_POINTER_TYPE(OCIHandleFree);
QM_OCI_POINTER_TYPE(OCIDescriptorAlloc);
QM_OCI_POINTER_TYPE(OCIDescriptorFree);
QM_OCI_POINTER_TYPE(OCIEnvInit);
QM_OCI_POINTER_TYPE(OCIServerAttach);
QM_OCI_POINTER_TYPE(OCIServerDetach);
QM_OCI_POINTER_TYPE(OCISessionBegin);
QM_OCI_POINTER_TYPE(OCISessionEnd);
QM_OCI_POINTER_TYPE(OCILogon);
QM_OCI_POINTER_TYPE(OCILogoff);
QM_OCI_POINTER_TYPE(OCIPasswordChange);
QM_OCI_POINTER_TYPE(OCIStmtPrepare);
QM_OCI_POINTER_TYPE(OCIBindByPos);
QM_OCI_POINTER_TYPE(OCIBindByName);
QM_OCI_POINTER_TYPE(OCIBindObject);
QM_OCI_POINTER_TYPE(OCIBindDynamic);
QM_OCI_POINTER_TYPE(OCIBindArrayOfStruct);
QM_OCI_POINTER_TYPE(OCIStmtGetPieceInfo);
QM_OCI_POINTER_TYPE(OCIStmtSetPieceInfo);
QM_OCI_POINTER_TYPE(OCIStmtExecute);
QM_OCI_POINTER_TYPE(OCIDefineByPos);
QM_OCI_POINTER_TYPE(OCIDefineObject);
QM_OCI_POINTER_TYPE(OCIDefineDynamic);
QM_OCI_POINTER_TYPE(OCIDefineArrayOfStruct);
QM_OCI_POINTER_TYPE(OCIStmtFetch);
QM_OCI_POINTER_TYPE(OCIStmtGetBindInfo);
QM_OCI_POINTER_TYPE(OCIDescribeAny);
QM_OCI_POINTER_TYPE(OCIParamGet);
QM_OCI_POINTER_TYPE(OCIParamSet);
QM_OCI_POINTER_TYPE(OCITransStart);
QM_OCI_POINTER_TYPE(OCITransDetach);
QM_OCI_POINTER_TYPE(OCITransCommit);
QM_OCI_POINTER_TYPE(OCITransRollback);
QM_OCI_POINTER_TYPE(OCITransPrepare);
QM_OCI_POINTER_TYPE(OCITransForget);
QM_OCI_POINTER_TYPE(OCIErrorGet);
QM_OCI_POINTER_TYPE(OCILobAppend);
QM_OCI_POINTER_TYPE(OCILobAssign);
QM_OCI_POINTER_TYPE(OCILobCharSetForm);
QM_OCI_POINTER_TYPE(OCILobCharSetId);
QM_OCI_POINTER_TYPE(OCILobCopy);
QM_OCI_POINTER_TYPE(OCILobDisableBuffering);
QM_OCI_POINTER_TYPE(OCILobEnableBuffering);
QM_OCI_POINTER_TYPE(OCILobErase);
QM_OCI_POINTER_TYPE(OCILobFileClose);
QM_OCI_POINTER_TYPE(OCILobFileCloseAll);
QM_OCI_POINTER_TYPE(OCILobFileExists);
QM_OCI_POINTER_TYPE(OCILobFileGetName);
QM_OCI_POINTER_TYPE(OCILobFileIsOpen);
QM_OCI_POINTER_TYPE(OCILobFileOpen);
QM_OCI_POINTER_TYPE(OCILobFileSetName);
QM_OCI_POINTER_TYPE(OCILobFlushBuffer);
QM_OCI_POINTER_TYPE(OCILobGetLength);
QM_OCI_POINTER_TYPE(OCILobIsEqual);
QM_OCI_POINTER_TYPE(OCILobLoadFromFile);
QM_OCI_POINTER_TYPE(OCILobLocatorIsInit);
QM_OCI_POINTER_TYPE(OCILobRead);
QM_OCI_POINTER_TYPE(OCILobTrim);
QM_OCI_POINTER_TYPE(OCILobWrite);
QM_OCI_POINTER_TYPE(OCILobCreateTemporary);
QM_OCI_POINTER_TYPE(OCILobFreeTemporary);
QM_OCI_POINTER_TYPE(OCIBreak);
QM_OCI_POINTER_TYPE(OCIServerVersion);
QM_OCI_POINTER_TYPE(OCIAttrGet);
QM_OCI_POINTER_TYPE(OCIAttrSet);
QM_OCI_POINTER_TYPE(OCISvcCtxToLda);
QM_OCI_POINTER_TYPE(OCILdaToSvcCtx);
QM_OCI_POINTER_TYPE(OCIResultSetToStmt);
QM_OCI_POINTER_TYPE(OCIObjectUnpin);
QM_OCI_POINTER_TYPE(OCIObjectLock);
QM_OCI_POINTER_TYPE(OCIObjectMarkUpdate);
QM_OCI_POINTER_TYPE(OCIObjectUnmark);
QM_OCI_POINTER_TYPE(OCIObjectMarkDelete);
QM_OCI_POINTER_TYPE(OCIObjectFlush);
QM_OCI_POINTER_TYPE(OCIObjectCopy);
QM_OCI_POINTER_TYPE(OCIObjectGetTypeRef);
QM_OCI_POINTER_TYPE(OCIObjectGetObjectRef);
QM_OCI_POINTER_TYPE(OCIObjectGetInd);
QM_OCI_POINTER_TYPE(OCIObjectExists);
QM_OCI_POINTER_TYPE(OCIObjectIsLocked);
QM_OCI_POINTER_TYPE(OCIObjectIsDirty);
QM_OCI_POINTER_TYPE(OCIObjectRefresh);
QM_OCI_POINTER_TYPE(OCIObjectPinTable);
QM_OCI_POINTER_TYPE(OCIObjectNew);
QM_OCI_POINTER_TYPE(OCIObjectPin);
QM_OCI_POINTER_TYPE(OCIObjectFree);
QM_OCI_POINTER_TYPE(OCITypeByName);
QM_OCI_POINTER_TYPE(OCIObjectGetAttr);
QM_OCI_POINTER_TYPE(OCIObjectSetAttr);
QM_OCI_POINTER_TYPE(OCIStringPtr);
QM_OCI_POINTER_TYPE(OCIStringAssignText);
QM_OCI_POINTER_TYPE(OCINumberFromInt);
QM_OCI_POINTER_TYPE(OCINumberToInt);
QM_OCI_POINTER_TYPE(OCINumberFromReal);
QM_OCI_POINTER_TYPE(OCINumberToReal);
QM_OCI_POINTER_TYPE(OCINumberToText);
QM_OCI_POINTER_TYPE(OCINumberFromText);
QM_OCI_POINTER_TYPE(OCIRawPtr);
QM_OCI_POINTER_TYPE(OCIRawSize);
QM_OCI_POINTER_TYPE(OCIRawAssignBytes);
QM_OCI_POINTER_TYPE(OCIRefAssign);
QM_OCI_POINTER_TYPE(OCIRefClear);
QM_OCI_POINTER_TYPE(OCIRefIsNull);
QM_OCI_POINTER_TYPE(OCIRefFromHex);
QM_OCI_POINTER_TYPE(OCIRefHexSize);
QM_OCI_POINTER_TYPE(OCIRefToHex);
QM_OCI_POINTER_TYPE(OCICollSize);
QM_OCI_POINTER_TYPE(OCICollTrim);
QM_OCI_POINTER_TYPE(OCICollMax);
QM_OCI_POINTER_TYPE(OCICollGetElem);
QM_OCI_POINTER_TYPE(OCICollAssignElem);
QM_OCI_POINTER_TYPE(OCICollAppend);
QM_OCI_POINTER_TYPE(OCITableDelete);
QM_OCI_POINTER_TYPE(OCICacheFlush);
QM_OCI_POINTER_TYPE(OCIEnvCreate);
QM_OCI_POINTER_TYPE(OCIDirPathAbort);
QM_OCI_POINTER_TYPE(OCIDirPathFinish);
QM_OCI_POINTER_TYPE(OCIDirPathPrepare);
QM_OCI_POINTER_TYPE(OCIDirPathColArrayEntrySet);
QM_OCI_POINTER_TYPE(OCIDirPathColArrayToStream);
QM_OCI_POINTER_TYPE(OCIDirPathLoadStream);
QM_OCI_POINTER_TYPE(OCIDirPathStreamReset);
QM_OCI_POINTER_TYPE(OCIDateTimeToText);
QM_OCI_POINTER_TYPE(OCIStmtFetch2);
QM_OCI_POINTER_TYPE(OCIReset);
QM_OCI_POINTER_TYPE(OCICharSetToUnicode);
QM_OCI_POINTER_TYPE(OCIUnicodeToCharSet);
QM_OCI_POINTER_TYPE(OCINlsGetInfo);
QM_OCI_POINTER_TYPE(OCIDateTimeConstruct);
QM_OCI_POINTER_TYPE(OCIDateTimeGetDate);
QM_OCI_POINTER_TYPE(OCIDateTimeGetTime);
QM_OCI_POINTER_TYPE(OCIDateTimeGetTimeZoneOffset);
QM_OCI_POINTER_TYPE(OCIDateTimeCheck);
QM_OCI_POINTER_TYPE(OCIDateTimeAssign);
QM_OCI_POINTER_TYPE(OCIDateTimeFromText);
QM_OCI_POINTER_TYPE(OCIIntervalGetYearMonth);
QM_OCI_POINTER_TYPE(OCIIntervalSetYearMonth);
QM_OCI_POINTER_TYPE(OCIIntervalGetDaySecond);
QM_OCI_POINTER_TYPE(OCIIntervalSetDaySecond);
QM_OCI_POINTER_TYPE(OCIRowidToChar);
QM_OCI_POINTER_TYPE(OCILobOpen);
QM_OCI_POINTER_TYPE(OCILobClose);
QM_OCI_POINTER_TYPE(OCILobIsOpen);
QM_OCI_POINTER_TYPE(OCILobGetChunkSize);
QM_OCI_POINTER_TYPE(OCICacheFree);
#undef QM_OCI_POINTER_TYPE
