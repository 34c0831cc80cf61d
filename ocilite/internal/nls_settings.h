// A session's national language settings: date format, decimal and group characters, and the
// client's character set. They start from the environment as an Oracle client reads it: NLS_LANG
// ("language_territory.charset", every part optional) picks the territory defaults (AMERICA:
// DD-MON-RR and ".,"; RUSSIA: DD.MM.RR and ", "; any other as AMERICA) and the character set;
// NLS_DATE_FORMAT and NLS_NUMERIC_CHARACTERS count only when NLS_LANG is set. Without NLS_LANG the
// client is AMERICAN_AMERICA.US7ASCII.
#pragma once

#include <string>
#include <string_view>

namespace qm::ocilite {

class CodePage;

struct NlsSettings {
  std::string language = "AMERICAN";
  std::string territory = "AMERICA";
  std::string date_format = "DD-MON-RR";
  char decimal = '.';
  char group = ',';
  const CodePage* code_page = nullptr;

  // Throws ORA-12705 for a character set or numeric characters the engine cannot use.
  static NlsSettings FromEnvironment();
  // Two characters, decimal then group, as NLS_NUMERIC_CHARACTERS; throws ORA-12705 when they
  // are not two different non-digit characters.
  void SetNumericCharacters(std::string_view value);
};

}  // namespace qm::ocilite
