#include "ocilite/internal/storage_errors.h"

#include <cerrno>

namespace qm::ocilite {
namespace {

constexpr std::int64_t kBlockBytes = 8192;
constexpr const char* kExtentBlocks = "128";

bool NoRoom(int system_errno) {
  return system_errno == ENOSPC || system_errno == EFBIG || system_errno == EDQUOT;
}

bool CannotGrow(int primary, int system_errno) {
  return primary == SQLITE_FULL || (primary == SQLITE_IOERR && NoRoom(system_errno));
}

int LastErrnoOf(sqlite3_file* file) {
  int error = 0;
  if (file && file->pMethods) file->pMethods->xFileControl(file, SQLITE_FCNTL_LAST_ERRNO, &error);
  return error;
}

OraError OnDataFile(int code, std::initializer_list<std::string_view> args,
                    const StorageSite& site) {
  const std::string id = std::to_string(site.file_id);
  return OraError::Over(code, OraError(1110, {id, site.file}), args);
}

}  // namespace

int FailureErrno(sqlite3* db) {
  const int noted = sqlite3_system_errno(db);
  if (NoRoom(noted)) return noted;
  for (int i = 0; const char* schema = sqlite3_db_name(db, i); ++i) {
    sqlite3_file* file = nullptr;
    for (const int which : {SQLITE_FCNTL_JOURNAL_POINTER, SQLITE_FCNTL_FILE_POINTER}) {
      if (sqlite3_file_control(db, schema, which, &file) != SQLITE_OK) continue;
      if (const int error = LastErrnoOf(file); NoRoom(error)) return error;
    }
  }
  return noted;
}

bool IsStorageFailure(int sqlite_code) {
  switch (sqlite_code & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
      return true;
    default:
      return false;
  }
}

OraError StorageError(int sqlite_code, int system_errno, const StorageSite& site) {
  const int primary = sqlite_code & 0xFF;
  const std::string id = std::to_string(site.file_id);
  const std::string block = std::to_string(site.file_bytes / kBlockBytes + 1);
  if (CannotGrow(primary, system_errno)) {
    if (site.query) return OraError(1652, {kExtentBlocks, site.tablespace});
    if (!site.table.empty())
      return OraError(1653, {site.owner, site.table, kExtentBlocks, site.tablespace});
    return OraError(1114, {site.file, block});
  }
  switch (primary) {
    case SQLITE_READONLY:
      return OnDataFile(372, {id}, site);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return OnDataFile(1578, {id, "0"}, site);
    case SQLITE_CANTOPEN:
      return OnDataFile(1116, {id}, site);
    default:
      break;
  }
  const bool read = sqlite_code == SQLITE_IOERR_READ || sqlite_code == SQLITE_IOERR_SHORT_READ;
  return OraError(read ? 1115 : 1114, {site.file, block});
}

}  // namespace qm::ocilite
