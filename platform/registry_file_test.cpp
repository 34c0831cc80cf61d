#include "platform/registry_file.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(RegistryFileTest, ReadsStringsDwordsAndEscapes) {
  const RegistryFile file = RegistryFile::Parse(
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE]\r\n"
      "\"ORACLE_HOME\"=\"C:\\\\orant\"\r\n"
      "\"Quoted \\\"name\\\"\"=\"say \\\"hi\\\"\"\r\n"
      "\"HOME_COUNTER\"=dword:0000001a\r\n"
      "@=\"default\"\r\n");
  EXPECT_EQ(file.Read("hkey_local_machine\\software\\oracle", "oracle_home"),
            RegistryValue::String("C:\\orant"));
  EXPECT_EQ(file.Read("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE", "Quoted \"name\""),
            RegistryValue::String("say \"hi\""));
  EXPECT_EQ(file.Read("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE", "HOME_COUNTER"),
            RegistryValue::Dword(26));
  EXPECT_EQ(file.Read("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE", ""),
            RegistryValue::String("default"));
  EXPECT_FALSE(file.Read("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE", "missing"));
  EXPECT_TRUE(file.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE"));
  EXPECT_FALSE(file.KeyExists("HKEY_LOCAL_MACHINE\\SOFT"));
}

TEST(RegistryFileTest, PassesOverWhatItDoesNotUnderstand) {
  const RegistryFile file = RegistryFile::Parse(
      "; a comment\n"
      "\"orphan\"=\"before any key\"\n"
      "[HKEY_CURRENT_USER\\A]\n"
      "garbage line\n"
      "\"bad dword\"=dword:xyz\n"
      "\"unterminated\"=\"abc\n"
      "\"good\"=\"yes\"\n"
      "[-HKEY_CURRENT_USER\\Removed]\n"
      "\"ignored\"=\"too\"\n");
  ASSERT_EQ(file.Keys().size(), 1u);
  ASSERT_EQ(file.Keys()[0].values.size(), 1u);
  EXPECT_EQ(file.Read("HKEY_CURRENT_USER\\A", "good"), RegistryValue::String("yes"));
}

TEST(RegistryFileTest, FormatReadsBackTheSameValuesAndKeepsOtherKinds) {
  RegistryFile file = RegistryFile::Parse(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Tarnwick]\n"
      "\"Blob\"=hex:01,02,03,\\\n  04,05\n");
  file.Write("HKEY_CURRENT_USER\\Tarnwick", "Logon0", RegistryValue::String("a\\b\"c"));
  file.Write("HKEY_CURRENT_USER\\Other", "Count", RegistryValue::Dword(0xDEADBEEF));
  const std::string text = file.Format();
  EXPECT_EQ(text.substr(0, 12), "REGEDIT4\r\n\r\n");
  EXPECT_NE(text.find("\"Count\"=dword:deadbeef\r\n"), std::string::npos);

  const RegistryFile again = RegistryFile::Parse(text);
  EXPECT_EQ(again.Read("HKEY_CURRENT_USER\\Tarnwick", "Logon0"), RegistryValue::String("a\\b\"c"));
  EXPECT_EQ(again.Read("HKEY_CURRENT_USER\\Other", "Count"), RegistryValue::Dword(0xDEADBEEF));
  const auto blob = again.Read("HKEY_CURRENT_USER\\Tarnwick", "Blob");
  ASSERT_TRUE(blob);
  EXPECT_EQ(blob->type, RegistryValue::Type::Other);
  EXPECT_EQ(blob->text, "hex:01,02,03,\\\n04,05");
  EXPECT_EQ(again.Format(), text);
}

// Data ending in a backslash that continues nothing (at the end of the file, before a blank
// line, or moved by a later line of the same name) must not take in the line written after it
// when the file is read back, or every rewrite would change the file.
TEST(RegistryFileTest, DataEndingInABackslashReadsBackUnchanged) {
  for (const char* text : {
           "[HKEY_CURRENT_USER\\A]\n\"Blob\"=hex:01,\\",
           "[HKEY_CURRENT_USER\\A]\n\"Blob\"=hex:01,\\\n  \n\"Next\"=\"x\"\n",
           "[HKEY_CURRENT_USER\\A]\n\"Blob\"=\"old\"\n\"Next\"=\"x\"\n\"Blob\"=hex:01,\\\n",
       }) {
    const std::string written = RegistryFile::Parse(text).Format();
    const RegistryFile again = RegistryFile::Parse(written);
    EXPECT_EQ(again.Read("HKEY_CURRENT_USER\\A", "Blob"),
              (RegistryValue{RegistryValue::Type::Other, "hex:01,\\", 0}))
        << text;
    EXPECT_EQ(again.Format(), written) << text;
  }
}

TEST(RegistryFileTest, WriteReplacesWithoutRegardToCaseAndDeleteSaysWhetherItFoundOne) {
  RegistryFile file;
  file.Write("HKEY_CURRENT_USER\\Key", "Logon0", RegistryValue::String("one"));
  file.Write("hkey_current_user\\KEY", "LOGON0", RegistryValue::String("two"));
  ASSERT_EQ(file.Keys().size(), 1u);
  ASSERT_EQ(file.Keys()[0].values.size(), 1u);
  EXPECT_EQ(file.Keys()[0].values[0].value.text, "two");
  EXPECT_TRUE(file.Delete("HKEY_CURRENT_USER\\Key", "logon0"));
  EXPECT_FALSE(file.Delete("HKEY_CURRENT_USER\\Key", "logon0"));
  EXPECT_TRUE(file.KeyExists("HKEY_CURRENT_USER\\Key"));  // an empty key stays
}

}  // namespace
}  // namespace qm
