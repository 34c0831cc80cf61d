#include "oracle/logon_history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "oracle/logon_history_store.h"
#include "oracle/logon_history_text.h"
#include "platform/file_registry.h"
#include "platform/ini_file.h"
#include "platform/memory_registry.h"
#include "platform/testing/scratch_folder.h"

namespace qm {
namespace {

std::vector<std::string> Captions(const THistoryItems& items) {
  std::vector<std::string> out;
  for (const THistoryItem& item : items.Items()) out.push_back(item.Caption());
  return out;
}

TEST(HistoryText, EncodesWithTheSeedAndDecodesBack) {
  EXPECT_EQ(EncodeHistoryText("abc", 2000), "2000145814521478");
  EXPECT_EQ(DecodeHistoryText("2000145814521478"), "abc");
  const std::string logon = "scott/tiger@ORCL as SYSDBA\xC0\xFF";
  for (int seed : {kHistorySeedFirst, 2345, kHistorySeedLast})
    EXPECT_EQ(DecodeHistoryText(EncodeHistoryText(logon, seed)), logon) << seed;
}

TEST(HistoryText, DecodingStopsAtTheFirstGroupThatIsNoNumber) {
  struct Case {
    const char* encoded;
    const char* decoded;
  } cases[] = {
      {"", ""},
      {"2000", ""},
      {"abcd14581452", ""},       // no seed
      {"20001458x4521478", "a"},  // second group broken
      {"200014581452147", "ab"},  // a short last group is no group
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeHistoryText(c.encoded), c.decoded) << c.encoded;
}

TEST(HistoryItems, AnEntryForTheSameUserAndDatabaseIsReplacedAndMovedToTheTop) {
  THistoryItems items;
  items.SetKeepPasswords(true);
  items.AddHistoryEntry("scott", "tiger", "orcl", "", true);
  items.AddHistoryEntry("system", "manager", "orcl", "", true);
  items.AddHistoryEntry("SCOTT", "lion", "ORCL", "", true);
  ASSERT_EQ(Captions(items), (std::vector<std::string>{"SCOTT@ORCL", "system@orcl"}));
  EXPECT_EQ(items[0].password, "lion");

  // A different mode or database is another entry.
  items.AddHistoryEntry("scott", "tiger", "orcl", "SYSDBA", true);
  items.AddHistoryEntry("scott", "tiger", "", "", true);
  EXPECT_EQ(Captions(items), (std::vector<std::string>{"scott", "scott@orcl as SYSDBA",
                                                       "SCOTT@ORCL", "system@orcl"}));
}

TEST(HistoryItems, ASeventhLogonDropsTheOldestOfSix) {
  THistoryItems items;
  items.SetCapacity(6);
  for (int i = 1; i <= 7; ++i) items.AddHistoryEntry("u" + std::to_string(i), "", "db", "", true);
  EXPECT_EQ(Captions(items),
            (std::vector<std::string>{"u7@db", "u6@db", "u5@db", "u4@db", "u3@db", "u2@db"}));

  items.SetCapacity(0);  // no limit
  items.AddHistoryEntry("u8", "", "db", "", true);
  EXPECT_EQ(items.Count(), 7);
}

TEST(HistoryItems, AWholeLogonTextIsSplitAndItsModeCutOff) {
  struct Case {
    const char* text;
    bool keepPasswords;
    THistoryItem expected;
  } cases[] = {
      {"scott/tiger@orcl", true, {"scott", "tiger", "orcl", ""}},
      {"scott/tiger@orcl", false, {"scott", "", "orcl", ""}},
      {"sys/manager@orcl as sysdba", true, {"sys", "manager", "orcl", "SYSDBA"}},
      {"sys/manager as\tsysoper@", true, {"sys", "manager", "", "SYSOPER"}},
      {"sys as sysdba/@", true, {"sys", "", "", "SYSDBA"}},
      {"scott/@", true, {"scott", "", "", ""}},
  };
  for (const Case& c : cases) {
    THistoryItems items;
    items.SetKeepPasswords(c.keepPasswords);
    items.AddHistoryEntry(c.text);
    ASSERT_EQ(items.Count(), 1) << c.text;
    EXPECT_EQ(items[0].username, c.expected.username) << c.text;
    EXPECT_EQ(items[0].password, c.expected.password) << c.text;
    EXPECT_EQ(items[0].database, c.expected.database) << c.text;
    EXPECT_EQ(items[0].mode, c.expected.mode) << c.text;
  }
  THistoryItems items;
  items.AddHistoryEntry("");
  EXPECT_EQ(items.Count(), 0);
}

TEST(HistoryItems, TheLogonTextAlwaysHasTheSlashAndTheAt) {
  EXPECT_EQ((THistoryItem{"scott", "", "", ""}).LogonText(), "scott/@");
  EXPECT_EQ((THistoryItem{"sys", "pw", "orcl", "SYSDBA"}).LogonText(), "sys/pw@orcl as SYSDBA");
}

class HistoryStoreTest : public ::testing::Test {
 protected:
  HistoryStoreTest() {
    items_.SetKeepPasswords(true);
    items_.SetCapacity(6);
  }
  MemoryRegistry registry_;
  THistoryItems items_;
  std::mt19937 random_{42};
};

TEST_F(HistoryStoreTest, TheRegistryKeepsTheEntriesInOrderUnderTheSection) {
  items_.AddHistoryEntry("scott/tiger@orcl");
  items_.AddHistoryEntry("sys/manager@orcl as SYSDBA");
  for (const char* name : {"Logon0", "Logon1", "Logon2"})
    registry_.Set(RegistryHive::CurrentUser, "Tarnwick", name, "leftover");
  SaveHistoryToRegistry(registry_, "\\Tarnwick", items_, random_);

  const std::string stored =
      ReadRegistryText(registry_, RegistryHive::CurrentUser, "Tarnwick", "Logon1");
  EXPECT_EQ(DecodeHistoryText(stored), "sys/manager@orcl as SYSDBA");
  EXPECT_FALSE(registry_.ReadValue(RegistryHive::CurrentUser, "Tarnwick", "Logon2"));

  THistoryItems loaded;
  loaded.SetKeepPasswords(true);
  LoadHistoryFromRegistry(registry_, "Tarnwick", 6, loaded);
  EXPECT_EQ(Captions(loaded), Captions(items_));
  EXPECT_EQ(loaded[1].password, "manager");
}

TEST_F(HistoryStoreTest, LoadingStopsAtAValueThatDecodesToEmpty) {
  const std::string key = "Tarnwick";
  registry_.Set(RegistryHive::CurrentUser, key, "Logon0", EncodeHistoryText("a/@", 2001));
  registry_.Set(RegistryHive::CurrentUser, key, "Logon1", "x123");
  registry_.Set(RegistryHive::CurrentUser, key, "Logon2", EncodeHistoryText("b/@", 2002));
  LoadHistoryFromRegistry(registry_, key, 6, items_);
  EXPECT_EQ(Captions(items_), std::vector<std::string>{"a"});


  items_.Clear();
  registry_.Set(RegistryHive::CurrentUser, key, "Logon1", EncodeHistoryText("c/@", 2003));
  LoadHistoryFromRegistry(registry_, key, 2, items_);
  EXPECT_EQ(Captions(items_), (std::vector<std::string>{"a", "c"}));
  LoadHistoryFromRegistry(registry_, "NoSuchKey", 6, items_);
  EXPECT_EQ(items_.Count(), 2);
}

// However long a logon is, what a save wrote loads back whole, the entries after it included.
TEST_F(HistoryStoreTest, LongLogonsLoadBackWithEveryEntryAfterThem) {
  const std::string longUser(64, 'u');
  const std::string longPassword(300, 'p');
  items_.AddHistoryEntry("c/pw@db");
  items_.AddHistoryEntry(longUser + "/pw@db");
  items_.AddHistoryEntry("b/" + longPassword + "@" + std::string(60, 'd'));
  items_.AddHistoryEntry("a/pw@db");
  SaveHistoryToRegistry(registry_, "Tarnwick", items_, random_);

  THistoryItems loaded;
  loaded.SetKeepPasswords(true);
  LoadHistoryFromRegistry(registry_, "Tarnwick", 6, loaded);
  EXPECT_EQ(Captions(loaded), Captions(items_));
  ASSERT_EQ(loaded.Count(), 4);
  for (int i = 0; i < loaded.Count(); ++i) {
    if (loaded[i].username == "b") {
      EXPECT_EQ(loaded[i].password, longPassword);
    }
  }
}

TEST_F(HistoryStoreTest, ASaveThatCannotWriteIsIgnored) {
  items_.AddHistoryEntry("scott/tiger@orcl");
  registry_.FailWrites(true);
  EXPECT_NO_THROW(SaveHistoryToRegistry(registry_, "Tarnwick", items_, random_));
}

TEST_F(HistoryStoreTest, TheHistoryFileIsPrivateToTheUser) {
  const testing::ScratchFolder scratch;
  const std::filesystem::path dir = scratch.Path();
  FileRegistry file((dir / "machine.reg").string(), (dir / "cfg" / "user.reg").string());
  items_.AddHistoryEntry("scott/tiger@orcl");
  SaveHistoryToRegistry(file, "Tarnwick", items_, random_);

  struct stat st {};
  ASSERT_EQ(stat((dir / "cfg" / "user.reg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  THistoryItems loaded;
  loaded.SetKeepPasswords(true);
  LoadHistoryFromRegistry(file, "Tarnwick", 6, loaded);
  EXPECT_EQ(Captions(loaded), std::vector<std::string>{"scott@orcl"});
}

TEST_F(HistoryStoreTest, TheIniFileKeepsTheEntriesAndLoadingStopsAfterTheLast) {
  const testing::ScratchFolder scratch;
  const std::string file = scratch.PathOf("logon-history.ini");
  for (const char* text : {"a/@", "b/@", "c/@"}) items_.AddHistoryEntry(text);
  SaveHistoryToIni(file, items_, random_);
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  items_.Clear();
  items_.AddHistoryEntry("d/pw@db");
  SaveHistoryToIni(file, items_, random_);

  THistoryItems loaded;
  loaded.SetKeepPasswords(true);
  LoadHistoryFromIni(file, loaded);
  EXPECT_EQ(Captions(loaded), std::vector<std::string>{"d@db"});
  EXPECT_EQ(loaded[0].password, "pw");
}

}  // namespace
}  // namespace qm
