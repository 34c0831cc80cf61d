#pragma once
// Whether two texts of a select give result columns of the same names and types, so that a
// statement object may keep the columns it described for the first when it runs the second: the
// texts are equal except for the text literals that follow a "=" (a comparison, whose literal
// cannot change a column of the result). Texts with comments or alternative quoting are never
// taken as alike, as their literals cannot be told apart without parsing.

#include <string_view>

namespace qm {

bool SameSelectShape(std::string_view a, std::string_view b);

}  // namespace qm
