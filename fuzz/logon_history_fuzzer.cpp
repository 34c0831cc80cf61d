// The logon history decoder over fuzzed stored values: each NUL-separated part of the input is
// one value "Logon0", "Logon1", ... of the history key, loaded as the logon window does. The
// whole input is also decoded on its own, and a text of up to 500 bytes must survive encoding
// and decoding with any seed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "oracle/logon_history.h"
#include "oracle/logon_history_store.h"
#include "oracle/logon_history_text.h"
#include "platform/memory_registry.h"

namespace {

constexpr std::size_t kMaxValues = 12;
constexpr std::size_t kRoundTripBytes = 500;
constexpr char kKey[] = "Software\\Quillmove\\Logon";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  (void)qm::DecodeHistoryText(input);

  if (size >= 2) {
    const int seed = qm::kHistorySeedFirst +
                     (data[0] | data[1] << 8) % (qm::kHistorySeedLast - qm::kHistorySeedFirst + 1);
    const std::string text = input.substr(2, kRoundTripBytes);
    if (qm::DecodeHistoryText(qm::EncodeHistoryText(text, seed)) != text) std::abort();
  }

  qm::MemoryRegistry registry;
  std::string_view rest(input);
  for (std::size_t n = 0; n < kMaxValues; ++n) {
    const std::size_t nul = rest.find('\0');
    registry.Set(qm::RegistryHive::CurrentUser, kKey, "Logon" + std::to_string(n),
                 std::string(rest.substr(0, nul)));
    if (nul == std::string_view::npos) break;
    rest.remove_prefix(nul + 1);
  }
  qm::THistoryItems items;
  items.SetKeepPasswords(size > 0 && (data[0] & 1));
  qm::LoadHistoryFromRegistry(registry, std::string("\\") + kKey, 6, items);
  if (items.Count() > items.Capacity()) std::abort();
  for (const qm::THistoryItem& item : items.Items()) {
    (void)item.Caption();
    (void)item.LogonText();
  }
  return 0;
}
