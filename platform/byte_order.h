#pragma once
// Unsigned integers stored in a fixed byte order, read from memory whatever the machine's own
// order. The caller makes sure the bytes are there.

#include <cstdint>

namespace qm {

constexpr std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

constexpr std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

constexpr std::uint64_t Le64(const unsigned char* p) {
  return Le32(p) | static_cast<std::uint64_t>(Le32(p + 4)) << 32;
}

constexpr std::uint32_t Be32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

constexpr std::uint64_t Be64(const unsigned char* p) {
  return static_cast<std::uint64_t>(Be32(p)) << 32 | Be32(p + 4);
}

// The same over text bytes (a std::string holding a file's contents).
inline std::uint16_t Le16(const char* p) {
  return Le16(reinterpret_cast<const unsigned char*>(p));
}

inline std::uint32_t Le32(const char* p) {
  return Le32(reinterpret_cast<const unsigned char*>(p));
}

}  // namespace qm
