// Oracle's extended ROWID as the engine forms it: the object number (6 digits), the file (3), the
// block (6) and the row in the block (3), in Oracle's base-64 digits. A SQLite row number gives
// the block (row / 4096) and the row in it; every table lives in file 1.
#pragma once

#include <cstdint>
#include <string>

namespace qm::ocilite {

std::string RowidText(std::int64_t object_id, std::int64_t row);

}  // namespace qm::ocilite
