#include "oracle/internal/variable_scanner.h"

#include <algorithm>
#include <cctype>

namespace qm {
namespace {

bool NameCharacter(unsigned char c) {
  return std::isalnum(c) != 0 || c == '_' || c == '#' || c == '$' || c >= 128;
}

}  // namespace

std::vector<TScannedVariable> ScanVariables(const std::string& source, bool duplicates) {
  enum class State { kSql, kVariable, kQuote, kComment };
  // The line end closes a -- comment and a variable on the last line.
  const std::string text = source + "\r\n";
  std::vector<TScannedVariable> found;
  State state = State::kSql;
  std::string closing;
  std::string name;
  int position = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char following = i + 1 < text.size() ? text[i + 1] : '\0';
    switch (state) {
      case State::kSql:
        if (c == ':') {
          position = static_cast<int>(i) + 1;
          name.clear();
          state = State::kVariable;
        } else if (c == '\'') {
          closing = "'";
          state = State::kQuote;
        } else if (c == '/' && following == '*') {
          closing = "*/";
          state = State::kComment;
        } else if (c == '-' && following == '-') {
          closing = "\r\n";
          state = State::kComment;
        }
        break;
      case State::kVariable:
        if (NameCharacter(static_cast<unsigned char>(c))) {
          name += c;
          break;
        }
        for (char& n : name)
          if (static_cast<unsigned char>(n) < 128)
            n = static_cast<char>(std::toupper(static_cast<unsigned char>(n)));
        if (!name.empty() &&
            (duplicates || std::none_of(found.begin(), found.end(),
                                        [&](const auto& v) { return v.name == name; })))
          found.push_back({name, position});
        // The character that ended the name is not examined again.
        state = State::kSql;
        break;
      case State::kQuote:
        if (c == closing[0]) state = State::kSql;
        break;
      case State::kComment:
        if (c == closing[0] && following == closing[1]) {
          ++i;
          state = State::kSql;
        }
        break;
    }
  }
  return found;
}

}  // namespace qm
