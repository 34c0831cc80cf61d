#include "app/internal/batch_input_checks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "import/field_link_table.h"
#include "platform/ini_file.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace qm {

void CheckFieldLinkFile(const std::string& path) {
  const std::string file = "the field-link file " + path;
  // Reading one byte tells a missing, unreadable or empty file, and a folder, apart.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  char byte;
  const ssize_t n = fd < 0 ? -1 : read(fd, &byte, 1);
  const int error = errno;
  if (fd >= 0) close(fd);
  if (n < 0) throw std::runtime_error(file + " cannot be read: " + std::strerror(error));
  if (n == 0) throw std::runtime_error(file + " is empty");
  if (ReadSettingsSection(path, "Rows").empty())
    throw std::runtime_error(file + " has no link rows in a [Rows] section");
}

void CheckSource(SourceTable& dbf, const std::string& path, bool allowShort) {
  try {
    const SourcePath split = SplitSourcePath(path);
    dbf.SetDatabaseName(split.folder);
    dbf.SetTableName(split.name);
    dbf.Open();
  } catch (const std::exception& e) {
    dbf.Close();
    throw std::runtime_error("not connect to " + path + ": " + e.what());
  }
  const SourceReadReport report = dbf.ReadReport();
  dbf.Close();
  if (report.Short() && !allowShort)
    throw std::runtime_error(path + " is shorter than its header says: the header gives " +
                             std::to_string(report.headerRecords) + " records, the file holds " +
                             std::to_string(report.storedRecords) + "; --allow-short imports those");
}

std::string TargetCheckQuery(const FieldLinkTable& links, const std::string& tableName) {
  std::string columns;
  for (int r = 1; r < links.RowCount(); ++r) {
    if (links.Cell(FieldLinkTable::kProceed, r) != "1") continue;
    if (!columns.empty()) columns += ',';
    columns += links.Cell(FieldLinkTable::kOraField, r);
  }
  return "select " + (columns.empty() ? "*" : columns) + " from " + tableName + " where 1=0";
}

}  // namespace qm
