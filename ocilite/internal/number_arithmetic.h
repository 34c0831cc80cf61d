// Arithmetic on NUMBER values as Oracle's SQL does it: exact in decimal. Sums, differences and
// products are exact; quotients carry more digits than a NUMBER keeps, so that storing the result
// (EncodeNumber) rounds it correctly, half away from zero. The big integers come from
// Boost.Multiprecision. All throw OraError.
#pragma once

#include "ocilite/internal/oracle_number.h"

namespace qm::ocilite {

Decimal Add(const Decimal& a, const Decimal& b);
Decimal Subtract(const Decimal& a, Decimal b);
Decimal Multiply(const Decimal& a, const Decimal& b);
// ORA-01476 when b is zero.
Decimal Divide(const Decimal& a, const Decimal& b);
// MOD(a, b) = a - b * TRUNC(a / b), with the sign of a; a itself when b is zero.
Decimal Remainder(const Decimal& a, const Decimal& b);
// POWER(a, b): exact for a whole b; any other b needs a positive a (ORA-01428 for a negative
// one) and is computed to 50 digits. ORA-01426 when the result is too large for a NUMBER.
Decimal Power(const Decimal& a, const Decimal& b);
// FLOOR and CEIL.
Decimal Floor(Decimal a);
Decimal Ceil(Decimal a);

}  // namespace qm::ocilite
