#pragma once
// Finds the ":name" variables of a statement text, skipping quoted literals and comments, so
// that a colon inside '...', /* */ or a -- comment is never taken for a variable, and "::" or
// ":=" give none.

#include <string>
#include <vector>

namespace qm {

struct TScannedVariable {
  std::string name;  // upper case, without the colon
  int position;      // 1-based position of the colon
};

// In order of appearance; with `duplicates` false a name is listed at its first occurrence only.
std::vector<TScannedVariable> ScanVariables(const std::string& text, bool duplicates);

}  // namespace qm
