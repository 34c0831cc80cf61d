#pragma once
// A private folder for the harnesses whose reader takes a path: made once per process (in
// memory under /dev/shm when there is one), removed when the process ends normally.

#include <string>
#include <string_view>

namespace qm::fuzz {

// The folder's path, without a trailing '/'.
const std::string& ScratchFolder();

// Replaces the file `name` in the scratch folder with `bytes` and returns its path; aborts when
// the file cannot be written, since a harness that silently reads nothing finds nothing.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// Removes the file `name` from the scratch folder when it is there.
void RemoveScratchFile(const std::string& name);

}  // namespace qm::fuzz
