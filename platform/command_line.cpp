#include "platform/command_line.h"

#include <fstream>
#include <iterator>

namespace qm {

std::vector<std::string> ProcessCommandLine::Arguments() const {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    arguments.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  if (!arguments.empty()) arguments.erase(arguments.begin());  // the program itself
  return arguments;
}

}  // namespace qm
