// One SQL value as the engine moves it between SQLite, its own functions and the client buffers.
// Dates travel as text in the stored form (see sql_type.h); NUMBER as an integer or a double.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace qm::ocilite {

struct Value {
  enum class Kind : std::uint8_t { kNull, kInt, kReal, kText, kBlob };
  Kind kind = Kind::kNull;
  std::int64_t i = 0;
  double r = 0;
  std::string s;  // text (UTF-8) or bytes

  static Value Null() { return {}; }
  static Value Int(std::int64_t v) { return {Kind::kInt, v, 0, {}}; }
  static Value Real(double v) { return {Kind::kReal, 0, v, {}}; }
  static Value Text(std::string v) { return {Kind::kText, 0, 0, std::move(v)}; }
  static Value Blob(std::string v) { return {Kind::kBlob, 0, 0, std::move(v)}; }

  bool IsNull() const { return kind == Kind::kNull; }
  bool IsNumber() const { return kind == Kind::kInt || kind == Kind::kReal; }
  double AsDouble() const { return kind == Kind::kInt ? static_cast<double>(i) : r; }
};

}  // namespace qm::ocilite
