#include "oracle/variable_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "oracle/oracle_date_time.h"
#include "platform/number_format.h"
#include "platform/regional_formats.h"

namespace qm {
namespace {

size_t DeclaredSize(int kind) {
  switch (kind) {
    case kVariableInteger:
      return 4;
    case kVariableFloat:
      return 8;
    case kVariableString:
    case kVariableChar:
      return 4001;
    case kVariableLongString:
      return 32513;
    case kVariableDate:
      return 7;
    default:
      return 0;  // substitution, LONG and LONG RAW (sized by the value), references
  }
}

bool Supported(int kind) {
  switch (kind) {
    case 1:
    case 3:
    case 4:
    case 5:
    case 8:
    case 10:
    case 12:
    case 24:
    case 97:
    case 108:
    case 110:
    case 112:
    case 113:
    case 114:
    case 116:
      return true;
    default:
      return false;
  }
}

std::string AsText(const TVariableValue& value) {
  if (const auto* i = std::get_if<int>(&value)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value))
    return FormatFloatGeneral(*d, CurrentRegionalFormats().decimalSeparator);
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  return "";
}

double AsNumber(const TVariableValue& value) {
  if (const auto* i = std::get_if<int>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) return *d;
  return StrToFloat(std::get<std::string>(value));
}

}  // namespace

TVariableData::TVariableData(std::string n, int k) : name(std::move(n)), kind(k) {
  if (!Supported(kind)) throw std::runtime_error("Unsupported variable type");
  elementSize = DeclaredSize(kind);
  buffer.assign(elementSize, 0);
}

bool TVariableData::Complex() const {
  return kind == 108 || kind == 110 || (kind >= 112 && kind <= 114) || kind == 116;
}

void TVariableData::Assign(const std::vector<TVariableValue>& values, bool removeCR,
                           bool zeroDateIsNull) {
  std::vector<std::string> texts;
  const bool text = kind == kVariableSubstitution || kind == kVariableString ||
                    kind == kVariableChar || kind == kVariableLongString || kind == kVariableLong ||
                    kind == kVariableLongRaw;
  if (text) {
    for (const TVariableValue& value : values) {
      std::string t = AsText(value);
      if (removeCR && kind != kVariableLongRaw)
        t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
      texts.push_back(std::move(t));
    }
    if (kind == kVariableLong || kind == kVariableLongRaw || kind == kVariableSubstitution) {
      elementSize = 1;
      for (const std::string& t : texts) elementSize = std::max(elementSize, t.size() + 1);
    }
  }
  buffer.assign(elementSize * values.size(), 0);
  indicators.assign(values.size(), -1);
  lengths.assign(values.size(), 0);
  for (size_t i = 0; i < values.size(); ++i) {
    const TVariableValue& value = values[i];
    char* cell = buffer.data() + i * elementSize;
    if (std::holds_alternative<std::monostate>(value)) continue;
    if (text) {
      const std::string& t = texts[i];
      const size_t size = std::min(t.size(), elementSize - 1);
      std::memcpy(cell, t.data(), size);
      lengths[i] = static_cast<ub2>(std::min<size_t>(size, 65535));
    } else if (kind == kVariableInteger) {
      const sb4 number = static_cast<sb4>(std::trunc(AsNumber(value)));
      std::memcpy(cell, &number, sizeof number);
      lengths[i] = sizeof number;
    } else if (kind == kVariableFloat) {
      const double number = AsNumber(value);
      std::memcpy(cell, &number, sizeof number);
      lengths[i] = sizeof number;
    } else if (kind == kVariableDate) {
      const double date = AsNumber(value);
      if (date == 0 && zeroDateIsNull) continue;
      EncodeOracleDate(date, reinterpret_cast<unsigned char*>(cell));
      lengths[i] = 7;
    } else {
      continue;  // references are not held as values
    }
    indicators[i] = 0;
  }
}

TVariableValue TVariableData::Element(int index) const {
  const size_t i = static_cast<size_t>(index);
  if (i >= indicators.size() || indicators[i] == -1) return {};
  const char* cell = buffer.data() + i * elementSize;
  switch (kind) {
    case kVariableInteger: {
      sb4 number;
      std::memcpy(&number, cell, sizeof number);
      return number;
    }
    case kVariableFloat: {
      double number;
      std::memcpy(&number, cell, sizeof number);
      return number;
    }
    case kVariableDate:
      return DecodeOracleDate(reinterpret_cast<const unsigned char*>(cell));
    case kVariableLong:
    case kVariableLongRaw:
      // A single value fills its buffer but for the closing zero, and may hold zero bytes.
      if (Count() == 1) return std::string(cell, elementSize - 1);
      return std::string(cell, strnlen(cell, elementSize));
    default:
      if (elementSize == 0) return {};
      return std::string(cell, strnlen(cell, elementSize));
  }
}

}  // namespace qm
