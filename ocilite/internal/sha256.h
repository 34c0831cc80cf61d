// SHA-256 (FIPS 180-4), for storing password hashes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm::ocilite {

std::array<std::uint8_t, 32> Sha256(std::string_view data);
// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);

}  // namespace qm::ocilite
