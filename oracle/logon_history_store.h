#pragma once
// Where the logon history is kept between runs, in the encoded form of logon_history_text.h:
//
//  - registry: string values "Logon0", "Logon1", ... (index 0 the newest) under a key below
//    HKEY_CURRENT_USER (on this platform the private current-user registry file, written through
//    a temporary file and a rename);
//  - INI file: keys "0", "1", ... of the section "Logon".
//
// Loading adds to `items` with AddHistoryEntry and never throws: a store that cannot be read
// ends the loading with what was read. Saving replaces what the store held and ignores errors.

#include <random>
#include <string>

namespace qm {

class Registry;
class THistoryItems;

// Reads "Logon0", "Logon1", ... under `section` (a leading backslash dropped), each whole, until
// a value is missing, is not a string or decodes to "". Entries at indexes from `historySize` on
// are read but not added, unless `historySize` is 0.
void LoadHistoryFromRegistry(const Registry& registry, const std::string& section, int historySize,
                             THistoryItems& items);
// Deletes "Logon0", "Logon1", ... until one is missing, then writes every entry. `random` picks
// the seed of each value.
void SaveHistoryToRegistry(Registry& registry, const std::string& section,
                           const THistoryItems& items, std::mt19937& random);

// Reads the keys "0", "1", ... of the section "Logon" until the first empty value.
void LoadHistoryFromIni(const std::string& fileName, THistoryItems& items);
// Writes every entry, then empties the further numbered keys the section held, so that a
// loading stops after the last entry.
void SaveHistoryToIni(const std::string& fileName, const THistoryItems& items,
                      std::mt19937& random);

// A generator seeded from the clock, as every save starts with.
std::mt19937 HistorySeedGenerator();

}  // namespace qm
