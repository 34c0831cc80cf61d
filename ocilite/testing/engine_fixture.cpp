#include "ocilite/testing/engine_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "ocilite/database_files.h"

namespace qm::ocilite::testing {

void EngineTest::SetUp() {
  char pattern[] = "/tmp/ocilite-test-XXXXXX";
  home_ = mkdtemp(pattern);
  setenv("OCILITE_HOME", home_.c_str(), 1);
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  unsetenv("NLS_DATE_FORMAT");
  unsetenv("NLS_NUMERIC_CHARACTERS");
  database_path_ = CreateDatabase("ORCL", "manager");
}

void EngineTest::TearDown() {
  std::error_code ec;
  std::filesystem::remove_all(home_, ec);
}

}  // namespace qm::ocilite::testing
