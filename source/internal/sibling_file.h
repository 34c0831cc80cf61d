#pragma once
// Files that belong to a table by name: the memo file, the index, the code page file. They share
// the table's name and differ in the extension, whose letter case varies between writers.

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The path of the file beside tablePath with the same name and the given extension (".fpt"),
// the extension compared without regard to case; nullopt when there is none.
std::optional<std::string> FindSibling(const std::string& tablePath, std::string_view extension);

// tablePath with its extension replaced, in the letter case of the table's own extension:
// "x.DBF" -> "x.DBT". Names the sibling a message expects when FindSibling found none.
std::string SiblingPath(const std::string& tablePath, std::string_view extension);

}  // namespace qm
