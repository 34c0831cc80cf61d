#include "oracle/internal/client_language.h"

#include "platform/environment.h"

namespace qm {

namespace {

constexpr const char* kCharacterSet = "CL8MSWIN1251";
constexpr const char* kDefaultLanguage = "AMERICAN_AMERICA.CL8MSWIN1251";
constexpr const char* kDateFormat = "DD.MM.RRRR HH24:MI:SS";
constexpr const char* kNumericCharacters = ".,";

}  // namespace

void SetClientLanguageEnvironment(Environment& env) {
  const auto language = env.Get("NLS_LANG");
  if (!language || language->empty()) {
    env.Set("NLS_LANG", kDefaultLanguage);
  } else {
    const std::size_t dot = language->rfind('.');
    env.Set("NLS_LANG", language->substr(0, dot) + "." + kCharacterSet);
  }
  if (GetOrEmpty(env, "NLS_DATE_FORMAT").empty()) env.Set("NLS_DATE_FORMAT", kDateFormat);
  if (GetOrEmpty(env, "NLS_NUMERIC_CHARACTERS").substr(0, 1) != ".")
    env.Set("NLS_NUMERIC_CHARACTERS", kNumericCharacters);
}

}  // namespace qm
