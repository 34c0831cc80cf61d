#pragma once
// TVariableData: one declared variable of a statement: its name (":" and upper case), its
// kind (the Oracle external type it is bound as, or 1 for a substitution variable whose value
// replaces the name in the text) and the value buffer that is bound, one element per array row.

#include <string>
#include <variant>
#include <vector>

#include "oci/oci.h"

namespace qm {

// NULL, an integer, a float (also a date-time, for date variables) or a text.
using TVariableValue = std::variant<std::monostate, int, double, std::string>;

inline constexpr int kVariableSubstitution = 1;
inline constexpr int kVariableInteger = 3;
inline constexpr int kVariableFloat = 4;
inline constexpr int kVariableString = 5;
inline constexpr int kVariableLong = 8;
inline constexpr int kVariableLongString = 10;
inline constexpr int kVariableDate = 12;
inline constexpr int kVariableLongRaw = 24;
inline constexpr int kVariableChar = 97;
inline constexpr int kVariableObject = 108;
inline constexpr int kVariableReference = 110;
inline constexpr int kVariableCLOB = 112;
inline constexpr int kVariableBLOB = 113;
inline constexpr int kVariableBFILE = 114;
inline constexpr int kVariableCursor = 116;

struct TVariableData {
  // Throws "Unsupported variable type" for a kind outside the supported list.
  TVariableData(std::string name, int kind);

  // Object, reference, LOB locator or cursor: a reference to something else, not data.
  bool Complex() const;
  int Count() const { return static_cast<int>(indicators.size()); }
  // Stores `values` (one per element), converted to the kind. `removeCR` drops every CR of a
  // text; `zeroDateIsNull` stores a date of 0 as NULL.
  void Assign(const std::vector<TVariableValue>& values, bool removeCR, bool zeroDateIsNull);
  TVariableValue Element(int index) const;

  std::string name;
  int kind;
  size_t elementSize = 0;  // bytes per element in `buffer`
  std::vector<char> buffer;
  std::vector<sb2> indicators = std::vector<sb2>(1, -1);
  std::vector<ub2> lengths = std::vector<ub2>(1, 0);
  bool array = false;
  // A PL/SQL table: `tableSize` elements are bound, of which `tableCount` hold values; the
  // server may change both the values and the count.
  bool plsqlTable = false;
  // The object of a complex variable: the TOracleObject of an object variable, the
  // TOracleReference of a reference variable, the locator of a LOB variable, the TOracleQuery of
  // a cursor variable; nullptr when none is given.
  void* object = nullptr;
  int tableSize = 0;
  ub4 tableCount = 0;
  // What was bound last, so an unchanged buffer is not bound again.
  int boundParse = -1;  // serial of the parse it was bound after
  const char* boundBuffer = nullptr;
};

}  // namespace qm
