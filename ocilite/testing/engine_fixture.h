// A fresh database for every test: OCILITE_HOME points to a new temporary folder holding the
// database ORCL (SYSTEM/manager); the client character set is AL32UTF8 unless a test sets
// NLS_LANG itself before connecting.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/testing/scratch_folder.h"

namespace qm::ocilite::testing {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string home_;
  std::string database_path_;

 private:
  std::optional<::qm::testing::ScratchFolder> home_folder_;
};

}  // namespace qm::ocilite::testing
