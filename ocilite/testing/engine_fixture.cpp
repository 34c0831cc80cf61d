#include "ocilite/testing/engine_fixture.h"

#include <cstdlib>

#include "ocilite/database_files.h"

namespace qm::ocilite::testing {

void EngineTest::SetUp() {
  home_ = home_folder_.emplace().Path();
  setenv("OCILITE_HOME", home_.c_str(), 1);
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  unsetenv("NLS_DATE_FORMAT");
  unsetenv("NLS_NUMERIC_CHARACTERS");
  database_path_ = CreateDatabase("ORCL", "manager");
}

void EngineTest::TearDown() { home_folder_.reset(); }

}  // namespace qm::ocilite::testing
