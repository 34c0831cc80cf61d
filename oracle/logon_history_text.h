#pragma once
// The obscured form in which the logon history is stored (passwords included): a four-digit
// seed S from 2000 to 2999, then one group of decimal digits per byte of the text, the byte at
// 1-based position k written as ((S + 10 k) XOR (byte * 16)) + 1000. Groups have four digits for
// texts of up to about 500 bytes; peers and older history files rely on exactly this form. It
// hides the text from a glance, nothing more: the history file itself is private to the user.

#include <string>

namespace qm {

inline constexpr int kHistorySeedFirst = 2000;
inline constexpr int kHistorySeedLast = 2999;

// `text` encoded with the seed `seed` (kHistorySeedFirst .. kHistorySeedLast).
std::string EncodeHistoryText(const std::string& text, int seed);

// The text back: the seed from the first four digits, then one byte per four-digit group. A
// group that is not a number ends the decoding and keeps what was decoded so far; an input
// without a numeric seed gives "".
std::string DecodeHistoryText(const std::string& encoded);

}  // namespace qm
