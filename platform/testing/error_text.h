#pragma once
// Test support: the text of the exception an action throws, so that a test compares the whole
// message with EXPECT_EQ.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace qm::testing {

// What ErrorText gives when the action throws nothing.
inline constexpr std::string_view kNoError = "(no error)";

// Runs `action` and gives the what() text of the exception of type E it throws, or kNoError when
// it returns. An exception of another type passes out and fails the test on its own.
template <typename E = std::exception, typename F>
std::string ErrorText(F&& action) {
  try {
    std::forward<F>(action)();
  } catch (const E& e) {
    return e.what();
  }
  return std::string(kNoError);
}

}  // namespace qm::testing
