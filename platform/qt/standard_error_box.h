#pragma once
// The application's standard error box: where every error a handler lets escape ends up. It shows
// the error's message, with a full stop added when the last character sorts after ".", captioned
// with the application's title, with a stop icon and OK; the program then goes on.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace qm {

// The text the box shows for `message` (code page 1251).
std::string StandardErrorBoxText(std::string_view message);

// Shows the box for `message` through the installed dialogs.
void ShowStandardErrorBox(std::string_view message);

// Runs `handler`; an exception it lets escape goes to the standard error box.
template <typename F>
void RunHandler(F&& handler) {
  try {
    std::forward<F>(handler)();
  } catch (const std::exception& e) {
    ShowStandardErrorBox(e.what());
  }
}

// A slot that runs `handler` through RunHandler, for connect().
template <typename F>
auto Guarded(F handler) {
  return [handler = std::move(handler)](auto&&... args) mutable {
    RunHandler([&] { handler(std::forward<decltype(args)>(args)...); });
  };
}

}  // namespace qm
