#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qm {
namespace {

TEST(DynamicLibraryTest, FindsExportedNamesAndReportsWhyALoadFailed) {
  DynamicLibraryLoader loader;
  const auto libc = loader.Load("libc.so.6");
  ASSERT_NE(libc, nullptr);
  EXPECT_NE(libc->HandleValue(), 0u);
  const auto length = reinterpret_cast<std::size_t (*)(const char*)>(libc->Symbol("strlen"));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("four"), 4u);
  EXPECT_EQ(libc->Symbol("no_such_function_here"), nullptr);

  EXPECT_EQ(loader.Load("/nonexistent/libnothing.so"), nullptr);
  std::string error;
  EXPECT_EQ(DynamicLibrary::Open("/nonexistent/libnothing.so", &error), nullptr);
  EXPECT_NE(error.find("libnothing.so"), std::string::npos) << error;
}

}  // namespace
}  // namespace qm
