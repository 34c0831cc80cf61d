#include "oracle/logon_history_store.h"

#include <chrono>
#include <exception>
#include <map>
#include <utility>
#include <vector>

#include "oracle/logon_history.h"
#include "oracle/logon_history_text.h"
#include "platform/ini_file.h"
#include "platform/registry.h"

namespace qm {

namespace {

constexpr const char* kValuePrefix = "Logon";
constexpr const char* kIniSection = "Logon";

std::string KeyOf(const std::string& section) {
  return !section.empty() && section.front() == '\\' ? section.substr(1) : section;
}

int RandomSeed(std::mt19937& random) {
  return std::uniform_int_distribution<int>(kHistorySeedFirst, kHistorySeedLast)(random);
}

// The keys of the history section with their values, the first line of a key winning.
std::map<std::string, std::string> ReadIniSection(const std::string& fileName) {
  std::map<std::string, std::string> values;
  for (const std::string& line : ReadSettingsSection(fileName, kIniSection)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    values.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return values;
}

}  // namespace

void LoadHistoryFromRegistry(const Registry& registry, const std::string& section, int historySize,
                             THistoryItems& items) {
  const std::string key = KeyOf(section);
  try {
    if (!registry.KeyExists(RegistryHive::CurrentUser, key)) return;
    // Values are read whole, however long: a logon the save wrote must not end the loading.
    for (int n = 0;; ++n) {
      const auto value =
          registry.ReadValue(RegistryHive::CurrentUser, key, kValuePrefix + std::to_string(n));
      if (!value || value->type != RegistryValue::Type::String) return;
      const std::string text = DecodeHistoryText(value->text);
      if (text.empty()) return;
      if (historySize == 0 || n < historySize) items.AddHistoryEntry(text);
    }
  } catch (const std::exception&) {
    // A registry that cannot be read ends the loading.
  }
}

void SaveHistoryToRegistry(Registry& registry, const std::string& section,
                           const THistoryItems& items, std::mt19937& random) {
  const std::string key = KeyOf(section);
  try {
    registry.CreateKey(RegistryHive::CurrentUser, key);
    for (int n = 0;; ++n)
      if (!registry.DeleteValue(RegistryHive::CurrentUser, key, kValuePrefix + std::to_string(n)))
        break;
    for (int n = 0; n < items.Count(); ++n)
      registry.WriteValue(
          RegistryHive::CurrentUser, key, kValuePrefix + std::to_string(n),
          RegistryValue::String(EncodeHistoryText(items[n].LogonText(), RandomSeed(random))));
  } catch (const std::exception&) {
    // The history is a convenience: a store that cannot be written loses this save only.
  }
}

void LoadHistoryFromIni(const std::string& fileName, THistoryItems& items) {
  try {
    const std::map<std::string, std::string> values = ReadIniSection(fileName);
    for (int n = 0;; ++n) {
      const auto it = values.find(std::to_string(n));
      if (it == values.end() || it->second.empty()) return;
      items.AddHistoryEntry(DecodeHistoryText(it->second));
    }
  } catch (const std::exception&) {
    // A file that cannot be read ends the loading.
  }
}

void SaveHistoryToIni(const std::string& fileName, const THistoryItems& items,
                      std::mt19937& random) {
  try {
    const std::map<std::string, std::string> old = ReadIniSection(fileName);
    std::vector<std::pair<std::string, std::string>> keys;
    int n = 0;
    for (; n < items.Count(); ++n)
      keys.emplace_back(std::to_string(n),
                        EncodeHistoryText(items[n].LogonText(), RandomSeed(random)));
    for (; old.contains(std::to_string(n)); ++n) keys.emplace_back(std::to_string(n), "");
    // The history holds passwords: a new file is for its owner alone.
    WriteSettings(fileName, kIniSection, keys, 0600);
  } catch (const std::exception&) {
    // As with the registry: errors while saving are ignored.
  }
}

std::mt19937 HistorySeedGenerator() {
  return std::mt19937(static_cast<std::mt19937::result_type>(
      std::chrono::system_clock::now().time_since_epoch().count()));
}

}  // namespace qm
