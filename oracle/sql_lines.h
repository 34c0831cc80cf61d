#pragma once
// TSQLLines: the lines of a statement text, edited directly by the statement's users. Reading
// the whole text gives every line followed by CR LF, so a one-line statement read back ends with
// CR LF.

#include <string>
#include <vector>

namespace qm {

class TSQLLines {
 public:
  void Clear() { lines_.clear(); }
  void Add(const std::string& line) { lines_.push_back(line); }
  // Clear and Add in one, into the room of the one line held before (a statement sent line after
  // line through one object allocates nothing for it).
  void SetOnlyLine(const std::string& line) {
    if (lines_.size() != 1) {
      lines_.clear();
      lines_.emplace_back();
    }
    lines_[0].assign(line);
  }
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }

  std::string Text() const {
    std::size_t size = 0;
    for (const std::string& line : lines_) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines_) text.append(line).append("\r\n");
    return text;
  }
  // Splits at CR LF, lone CR or lone LF; a final line break adds no empty line.
  void SetText(const std::string& text) {
    lines_.clear();
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c != '\r' && c != '\n') {
        line += c;
        continue;
      }
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines_.push_back(line);
      line.clear();
    }
    if (!line.empty()) lines_.push_back(line);
  }

 private:
  std::vector<std::string> lines_;
};

}  // namespace qm
