#pragma once
// The field-link file: the whole field-link table stored in an INI file, one key per link row
// under the section "Rows". The key is "Row" and the row number; the value is the row's six
// cells joined by ",", nothing quoted or escaped. So a comma inside a cell shifts the cells after
// it on loading (and what follows the sixth comma is lost), and the INI reader drops blanks at a
// value's ends and a pair of quotation marks enclosing it.

#include <string>

namespace qm {

class Dialogs;
class FieldLinkTable;

// Writes the key of every link row in order (see WriteSettings). Other keys and sections stay, so
// keys of an earlier, longer save remain. Throws the INI write error when the file cannot be
// written; the previous file is then left as it was, no row of it changed.
void SaveFieldLinks(const FieldLinkTable& links, const std::string& fileName);

// Makes one link row per key of the file's "Rows" section, in file order, whatever the key's
// number, and writes all six cells of each (cells the value does not reach become empty). A
// missing file or section leaves only the header row. Rows past the loaded ones keep their cells.
void LoadFieldLinks(FieldLinkTable& links, const std::string& fileName);

// The main window's "Save" button: asks for a file with the standard save dialog (no filter, no
// default extension) and saves into it; nothing happens when the user cancels.
void SaveFieldLinksCommand(const FieldLinkTable& links, Dialogs& dialogs);
// The main window's "..." button: asks for a file with the standard open dialog and loads it;
// nothing happens when the user cancels.
void LoadFieldLinksCommand(FieldLinkTable& links, Dialogs& dialogs);

}  // namespace qm
