#include "ocilite/internal/rowid.h"

namespace qm::ocilite {

std::string RowidText(std::int64_t object_id, std::int64_t row) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  auto digits = [](std::uint64_t n, int count) {
    std::string out(static_cast<std::size_t>(count), 'A');
    for (int i = count - 1; i >= 0; --i, n >>= 6)
      out[static_cast<std::size_t>(i)] = kDigits[n & 63];
    return out;
  };
  const auto object = static_cast<std::uint64_t>(object_id);
  const auto r = static_cast<std::uint64_t>(row);
  return digits(object, 6) + digits(1, 3) + digits(r >> 12, 6) + digits(r & 4095, 3);
}

}  // namespace qm::ocilite
