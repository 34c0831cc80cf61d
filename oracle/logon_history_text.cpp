#include "oracle/logon_history_text.h"

#include <optional>

namespace qm {

namespace {

constexpr std::size_t kGroupLength = 4;

// The decimal number a group of four digits stands for; nothing for a shorter group or one with
// a character that is not a digit.
std::optional<int> GroupValue(const std::string& group) {
  if (group.size() != kGroupLength) return std::nullopt;
  int value = 0;
  for (char c : group) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string EncodeHistoryText(const std::string& text, int seed) {
  std::string out = std::to_string(seed);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    const int byte = static_cast<unsigned char>(text[i]);
    out += std::to_string(((seed + 10 * k) ^ (byte * 16)) + 1000);
  }
  return out;
}

std::string DecodeHistoryText(const std::string& encoded) {
  const std::optional<int> seed = GroupValue(encoded.substr(0, kGroupLength));
  if (!seed) return {};
  std::string out;
  int k = 1;
  for (std::size_t at = kGroupLength; at < encoded.size(); at += kGroupLength, ++k) {
    const std::optional<int> group = GroupValue(encoded.substr(at, kGroupLength));
    if (!group) break;
    out += static_cast<char>(((*group - 1000) ^ (*seed + 10 * k)) / 16);
  }
  return out;
}

}  // namespace qm
