// Character-level operations on UTF-8 text, the form text takes inside the engine. The engine
// presents a single-byte server, so lengths and positions count characters, not bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace qm::ocilite {

// Number of characters (a malformed byte counts as one).
std::size_t Utf8Length(std::string_view s);
// Byte offset of the character with index `chars` (or s.size() past the end).
std::size_t Utf8Offset(std::string_view s, std::size_t chars);
// Characters [first, first + count) by character index.
std::string_view Utf8Substr(std::string_view s, std::size_t first, std::size_t count);

using qm::AppendUtf8;
using qm::DecodeUtf8;

// Simple case mapping for Latin, Greek and Cyrillic letters; other characters stay.
char32_t UpperCodePoint(char32_t c);
char32_t LowerCodePoint(char32_t c);
std::string Utf8Upper(std::string_view s);
std::string Utf8Lower(std::string_view s);

}  // namespace qm::ocilite
