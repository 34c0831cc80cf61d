// One SQL value as the engine moves it between SQLite, its own functions and the client buffers.
// Dates travel as text in the stored form (see sql_type.h); NUMBER as its internal form, the
// bytes of oracle_number.h.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace qm::ocilite {

struct Value {
  enum class Kind : std::uint8_t { kNull, kNumber, kText, kBlob };
  Kind kind = Kind::kNull;
  std::string s;  // text (UTF-8), bytes, or a number's internal form

  static Value Null() { return {}; }
  // `form` must be a number's internal form (EncodeNumber).
  static Value Number(std::string form) { return {Kind::kNumber, std::move(form)}; }
  static Value Text(std::string v) { return {Kind::kText, std::move(v)}; }
  static Value Blob(std::string v) { return {Kind::kBlob, std::move(v)}; }

  bool IsNull() const { return kind == Kind::kNull; }
  bool IsNumber() const { return kind == Kind::kNumber; }
};

}  // namespace qm::ocilite
