#include "import/field_link_file.h"

#include <utility>
#include <vector>

#include "import/field_link_table.h"
#include "import/value_conversions.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"

namespace qm {
namespace {
constexpr const char* kSection = "Rows";
}  // namespace

void SaveFieldLinks(const FieldLinkTable& links, const std::string& fileName) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int r = 1; r < links.RowCount(); ++r) {
    std::string value = links.Cell(0, r);
    for (int c = 1; c < FieldLinkTable::kColumnCount; ++c) value += "," + links.Cell(c, r);
    rows.emplace_back("Row" + std::to_string(r), std::move(value));
  }
  WriteSettings(fileName, kSection, rows);
}

void LoadFieldLinks(FieldLinkTable& links, const std::string& fileName) {
  const std::vector<std::string> lines = ReadSettingsSection(fileName, kSection);
  links.SetRowCount(static_cast<int>(lines.size()) + 1);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    // Every line is "key=value" and a key holds no "=", so the value is what follows the first.
    const std::string_view line = lines[k];
    const std::string_view value = line.substr(line.find('=') + 1);
    for (int c = 1; c <= FieldLinkTable::kColumnCount; ++c)
      links.SetCell(c - 1, static_cast<int>(k) + 1, ExtractLexeme(c, value, ","));
  }
}

void SaveFieldLinksCommand(const FieldLinkTable& links, Dialogs& dialogs) {
  if (const auto fileName = dialogs.SaveFile(FileDialogRequest{})) SaveFieldLinks(links, *fileName);
}

void LoadFieldLinksCommand(FieldLinkTable& links, Dialogs& dialogs) {
  if (const auto fileName = dialogs.OpenFile(FileDialogRequest{})) LoadFieldLinks(links, *fileName);
}

}  // namespace qm
