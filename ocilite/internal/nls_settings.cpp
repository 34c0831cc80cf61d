#include "ocilite/internal/nls_settings.h"

#include <cstdlib>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}
OraError InvalidEnvironment() {
  return OraError::WithText(12705, "Cannot access NLS data files or invalid environment specified");
}
}  // namespace

void NlsSettings::SetNumericCharacters(std::string_view value) {
  if (value.size() != 2 || value[0] == value[1] || (value[0] >= '0' && value[0] <= '9') ||
      (value[1] >= '0' && value[1] <= '9') || value[0] == '+' || value[0] == '-' ||
      value[0] == '<' || value[0] == '>')
    throw InvalidEnvironment();
  decimal = value[0];
  group = value[1];
}

NlsSettings NlsSettings::FromEnvironment() {
  NlsSettings nls;
  const std::string lang = Env("NLS_LANG");
  std::string charset = "US7ASCII";
  if (!lang.empty()) {
    const auto dot = lang.find('.');
    const std::string head = Utf8Upper(lang.substr(0, dot));
    if (dot != std::string::npos) charset = lang.substr(dot + 1);
    const auto underscore = head.find('_');
    if (!head.substr(0, underscore).empty()) nls.language = head.substr(0, underscore);
    if (underscore != std::string::npos && underscore + 1 < head.size())
      nls.territory = head.substr(underscore + 1);
    if (nls.territory == "RUSSIA") {
      nls.date_format = "DD.MM.RR";
      nls.decimal = ',';
      nls.group = ' ';
    }
    if (const std::string f = Env("NLS_DATE_FORMAT"); !f.empty()) nls.date_format = f;
    if (const std::string c = Env("NLS_NUMERIC_CHARACTERS"); !c.empty())
      nls.SetNumericCharacters(c);
  }
  nls.code_page = &CodePage::ForOracleName(charset);
  return nls;
}

}  // namespace qm::ocilite
