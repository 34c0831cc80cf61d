#pragma once
// Whether texts of a select give result columns of the same names and types, so that a statement
// object may keep the columns it described for one when it runs another: the texts are equal
// except for the text literals that follow a "=" (a comparison, whose literal cannot change a
// column of the result). Texts with comments or alternative quoting are never taken as alike, as
// their literals cannot be told apart without parsing.
//
// A shape is read once from the text that was described and then held against each new text, so
// that a run of queries differing only in their values pays for reading one text each, not two.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class SelectShape {
 public:
  explicit SelectShape(std::string text);
  SelectShape() = default;

  // Whether `text` has this shape (an empty shape, or one of a text with comments or alternative
  // quoting, matches nothing).
  bool Matches(std::string_view text) const;

 private:
  // A stretch of the text: equal as it stands, or a literal after "=" whose content may differ.
  struct Part {
    std::size_t at = 0;
    std::size_t length = 0;  // of the stretch; 0 for a literal that may differ
    bool anyLiteral = false;
  };
  std::string text_;
  std::vector<Part> parts_;
  bool comparable_ = false;
};

}  // namespace qm
