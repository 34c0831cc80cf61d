// A small client of the engine's shared library for the tests: it loads libocilite.so with
// dlopen, exactly as the application's client loader does, and wraps the calls a test needs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "oci/oci.h"

namespace qm::ocilite::testing {

// The loaded library and the entry points the tests call.
class OciLibrary {
 public:
  explicit OciLibrary(const std::string& path);
  OciLibrary(const OciLibrary&) = delete;
  OciLibrary& operator=(const OciLibrary&) = delete;
  ~OciLibrary();

  void* Symbol(const char* name) const;

  OCIEnvCreate_t EnvCreate;
  OCIHandleAlloc_t HandleAlloc;
  OCIHandleFree_t HandleFree;
  OCIDescriptorFree_t DescriptorFree;
  OCIErrorGet_t ErrorGet;
  OCIAttrSet_t AttrSet;
  OCIAttrGet_t AttrGet;
  OCIServerAttach_t ServerAttach;
  OCIServerDetach_t ServerDetach;
  OCISessionBegin_t SessionBegin;
  OCISessionEnd_t SessionEnd;
  OCIServerVersion_t ServerVersion;
  OCITransCommit_t TransCommit;
  OCITransRollback_t TransRollback;
  OCIStmtPrepare_t StmtPrepare;
  OCIStmtExecute_t StmtExecute;
  OCIStmtFetch_t StmtFetch;
  OCIParamGet_t ParamGet;
  OCIDefineByPos_t DefineByPos;
  OCIDefineDynamic_t DefineDynamic;
  OCIBindByName_t BindByName;

 private:
  void* handle_;
};

// The library built with the tests.
OciLibrary& Library();

struct Rows {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> values;  // NULL reads "<null>"
};

// One environment, server attach and user session through the release 8 calls.
class OciConnection {
 public:
  // Attaches and logs on; throws std::runtime_error with the client's error text on failure.
  OciConnection(const std::string& user, const std::string& password,
                const std::string& database = "");
  OciConnection(const OciConnection&) = delete;
  OciConnection& operator=(const OciConnection&) = delete;
  ~OciConnection();

  // Runs a statement that is not a query; "" on success, else the first error line.
  std::string Exec(const std::string& sql);
  // Runs a query, fetching `batch` rows per call with every column as text; throws
  // std::runtime_error with the error line on failure.
  Rows Query(const std::string& sql, ub4 batch = 25);
  // Exec or Query, whichever the statement is, giving the error line or "" / the rows.
  std::string ErrorOf(const std::string& sql);

  std::string LastError();  // record 1 of the error handle, without its line end
  sb4 LastCode();
  void Commit();
  void Rollback();
  void EndSession();  // OCISessionEnd
  void Detach();      // OCIServerDetach

  OCIEnv* env = nullptr;
  OCIError* err = nullptr;
  OCIServer* server = nullptr;
  OCISvcCtx* svc = nullptr;
  OCISession* session = nullptr;

 private:
  bool begun_ = false;
  bool attached_ = false;
};

}  // namespace qm::ocilite::testing
