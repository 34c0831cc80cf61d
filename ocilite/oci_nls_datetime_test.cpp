// The calls of the 8.1 and 9i interfaces that programs written for them use beside the release 8
// group: character-set conversion to and from UTF-16, locale items, datetime and interval
// descriptors, the binds and defines that go with them and with length-prefixed buffers, and
// opening and reading LOBs as UTF-16.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using ClientCalls = EngineTest;

template <typename F>
F Fn(const char* name) {
  auto* f = reinterpret_cast<F>(Library().Symbol(name));
  EXPECT_NE(f, nullptr) << name;
  return f;
}

OCIStmt* Prepare(OciConnection& c, const std::string& sql) {
  void* stmt = nullptr;
  EXPECT_EQ(Library().HandleAlloc(c.env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
  EXPECT_EQ(Library().StmtPrepare(static_cast<OCIStmt*>(stmt), c.err,
                                  reinterpret_cast<const OraText*>(sql.data()),
                                  static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
            OCI_SUCCESS);
  return static_cast<OCIStmt*>(stmt);
}

template <typename T>
T* Descriptor(OciConnection& c, ub4 type) {
  void* d = nullptr;
  EXPECT_EQ(Fn<OCIDescriptorAlloc_t>("OCIDescriptorAlloc")(c.env, &d, type, 0, nullptr),
            OCI_SUCCESS);
  return static_cast<T*>(d);
}

TEST_F(ClientCalls, TextConvertsBetweenTheClientCharacterSetAndUtf16) {
  struct Case {
    const char* nls_lang;
    std::string client;      // bytes in the client's character set
    std::u16string unicode;  // the same text in UTF-16
    bool lossy;              // only `unicode` to `client` holds
  };
  const Case cases[] = {
      {"AMERICAN_AMERICA.AL32UTF8", "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80", u"Grüße 😀", false},
      {"RUSSIAN_RUSSIA.CL8MSWIN1251", "\xCF\xF0\xE8", u"При", false},
      {"AMERICAN_AMERICA.US7ASCII", "abc", u"abc", false},
      // A character the client's set lacks becomes "?".
      {"AMERICAN_AMERICA.US7ASCII", "?", u"ü", true},
  };
  auto to_unicode = Fn<OCICharSetToUnicode_t>("OCICharSetToUnicode");
  auto to_charset = Fn<OCIUnicodeToCharSet_t>("OCIUnicodeToCharSet");
  for (const Case& k : cases) {
    SCOPED_TRACE(k.nls_lang);
    setenv("NLS_LANG", k.nls_lang, 1);
    OciConnection c("system", "manager");
    std::size_t size = 99;
    if (!k.lossy) {
      // Length 0 asks for the length only.
      ASSERT_EQ(to_unicode(c.env, nullptr, 0, reinterpret_cast<const OraText*>(k.client.data()),
                           k.client.size(), &size),
                OCI_SUCCESS);
      EXPECT_EQ(size, k.unicode.size());
      std::vector<ub2> units(size + 1, 0xFFFF);
      // The session handle converts as the environment does.
      ASSERT_EQ(to_unicode(c.session, units.data(), units.size(),
                           reinterpret_cast<const OraText*>(k.client.data()), k.client.size(),
                           &size),
                OCI_SUCCESS);
      EXPECT_EQ(std::u16string(units.begin(), units.begin() + static_cast<long>(size)), k.unicode);
      EXPECT_EQ(units[size], 0);  // terminated where there is room
    }
    const auto* src = reinterpret_cast<const ub2*>(k.unicode.data());
    ASSERT_EQ(to_charset(c.env, nullptr, 0, src, k.unicode.size(), &size), OCI_SUCCESS);
    EXPECT_EQ(size, k.client.size());
    std::string bytes(size, '\0');
    ASSERT_EQ(to_charset(c.env, reinterpret_cast<OraText*>(bytes.data()), bytes.size(), src,
                         k.unicode.size(), &size),
              OCI_SUCCESS);
    EXPECT_EQ(bytes, k.client);
  }
  // A short destination takes what fits, whole characters only.
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  OciConnection c("system", "manager");
  const std::u16string text = u"aüb";
  char out[2];
  std::size_t size = 0;
  ASSERT_EQ(to_charset(c.env, reinterpret_cast<OraText*>(out), sizeof out,
                       reinterpret_cast<const ub2*>(text.data()), text.size(), &size),
            OCI_SUCCESS);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(to_unicode(c.err, nullptr, 0, reinterpret_cast<const OraText*>("a"), 1, &size),
            OCI_INVALID_HANDLE);
}

TEST_F(ClientCalls, LocaleItemsFollowNlsLang) {
  struct Case {
    const char* nls_lang;
    ub2 item;
    std::string text;
  };
  const Case cases[] = {
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_DAYNAME1, "Monday"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_ABDAYNAME7, "Sun"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_MONTHNAME12, "December"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_ABMONTHNAME1, "Jan"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_DECIMAL, "."},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_GROUP, ","},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_DATEFORMAT, "DD-MON-RR"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_LANGUAGE, "AMERICAN"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_TERRITORY, "AMERICA"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_CHARACTER_SET, "AL32UTF8"},
      {"AMERICAN_AMERICA.AL32UTF8", OCI_NLS_INT_CURRENCY, "USD"},
      {"RUSSIAN_RUSSIA.CL8MSWIN1251", OCI_NLS_DECIMAL, ","},
      {"RUSSIAN_RUSSIA.CL8MSWIN1251", OCI_NLS_DATEFORMAT, "DD.MM.RR"},
      {"RUSSIAN_RUSSIA.CL8MSWIN1251", OCI_NLS_CHARACTER_SET, "CL8MSWIN1251"},
  };
  auto get = Fn<OCINlsGetInfo_t>("OCINlsGetInfo");
  for (const Case& k : cases) {
    setenv("NLS_LANG", k.nls_lang, 1);
    OciConnection c("system", "manager");
    char buffer[OCI_NLS_MAXBUFSZ];
    ASSERT_EQ(get(c.env, c.err, reinterpret_cast<OraText*>(buffer), sizeof buffer, k.item),
              OCI_SUCCESS)
        << k.item;
    EXPECT_STREQ(buffer, k.text.c_str()) << k.nls_lang << " item " << k.item;
  }
  // The numeric items come as a ub2; a session handle reads the session's settings.
  setenv("NLS_LANG", "RUSSIAN_RUSSIA.CL8MSWIN1251", 1);
  OciConnection c("system", "manager");
  ub2 value = 0;
  ASSERT_EQ(get(c.env, c.err, reinterpret_cast<OraText*>(&value), sizeof value, OCI_NLS_CHARSET_ID),
            OCI_SUCCESS);
  EXPECT_EQ(value, 171);
  ASSERT_EQ(get(c.env, c.err, reinterpret_cast<OraText*>(&value), sizeof value,
                OCI_NLS_CHARSET_MAXBYTESZ),
            OCI_SUCCESS);
  EXPECT_EQ(value, 1);
  ASSERT_EQ(c.Exec("alter session set nls_date_format = 'YYYY-MM-DD'"), "");
  char buffer[OCI_NLS_MAXBUFSZ];
  ASSERT_EQ(get(c.session, c.err, reinterpret_cast<OraText*>(buffer), sizeof buffer,
                OCI_NLS_DATEFORMAT),
            OCI_SUCCESS);
  EXPECT_STREQ(buffer, "YYYY-MM-DD");
  // Too small a buffer, and an item that does not exist, fail.
  EXPECT_EQ(get(c.env, c.err, reinterpret_cast<OraText*>(buffer), 3, OCI_NLS_MONTHNAME1 + 8),
            OCI_ERROR);
  EXPECT_EQ(get(c.env, c.err, reinterpret_cast<OraText*>(buffer), sizeof buffer, 999), OCI_ERROR);
}

TEST_F(ClientCalls, DatetimeDescriptorsAreBuiltCheckedAndRead) {
  OciConnection c("system", "manager");
  auto construct = Fn<OCIDateTimeConstruct_t>("OCIDateTimeConstruct");
  auto get_date = Fn<OCIDateTimeGetDate_t>("OCIDateTimeGetDate");
  auto get_time = Fn<OCIDateTimeGetTime_t>("OCIDateTimeGetTime");
  auto check = Fn<OCIDateTimeCheck_t>("OCIDateTimeCheck");
  auto offset = Fn<OCIDateTimeGetTimeZoneOffset_t>("OCIDateTimeGetTimeZoneOffset");
  auto* ts = Descriptor<OCIDateTime>(c, OCI_DTYPE_TIMESTAMP);
  ub4 valid = 0;
  // A new descriptor holds no valid value yet.
  ASSERT_EQ(check(c.env, c.err, ts, &valid), OCI_SUCCESS);
  EXPECT_EQ(valid, OCI_DT_YEAR_ZERO | OCI_DT_MONTH_BELOW_VALID | OCI_DT_DAY_BELOW_VALID);
  ASSERT_EQ(construct(c.env, c.err, ts, 2004, 2, 29, 23, 59, 58, 123456789, nullptr, 0),
            OCI_SUCCESS);
  ASSERT_EQ(check(c.env, c.err, ts, &valid), OCI_SUCCESS);
  EXPECT_EQ(valid, 0u);
  sb2 year = 0;
  ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
  ub4 fraction = 0;
  ASSERT_EQ(get_date(c.env, c.err, ts, &year, &month, &day), OCI_SUCCESS);
  ASSERT_EQ(get_time(c.env, c.err, ts, &hour, &minute, &second, &fraction), OCI_SUCCESS);
  EXPECT_EQ((std::vector<int>{year, month, day, hour, minute, second}),
            (std::vector<int>{2004, 2, 29, 23, 59, 58}));
  EXPECT_EQ(fraction, 123456789u);
  sb1 tz_hour = 0, tz_minute = 0;
  EXPECT_EQ(offset(c.env, c.err, ts, &tz_hour, &tz_minute), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01878: specified field not found in datetime or interval");

  struct Bad {
    int year, month, day, hour, minute, second;
    ub4 fraction;
    const char* error;
  };
  const Bad bad[] = {
      {0, 1, 1, 0, 0, 0, 0, "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
      {2003, 13, 1, 0, 0, 0, 0, "ORA-01843: not a valid month"},
      {2003, 2, 29, 0, 0, 0, 0, "ORA-01847: day of month must be between 1 and last day of month"},
      {2003, 1, 1, 24, 0, 0, 0, "ORA-01850: hour must be between 0 and 23"},
      {2003, 1, 1, 0, 60, 0, 0, "ORA-01851: minutes must be between 0 and 59"},
      {2003, 1, 1, 0, 0, 60, 0, "ORA-01852: seconds must be between 0 and 59"},
      {2003, 1, 1, 0, 0, 0, 1000000000,
       "ORA-01880: the fractional seconds must be between 0 and 999999999"},
  };
  for (const Bad& k : bad) {
    EXPECT_EQ(construct(c.env, c.err, ts, static_cast<sb2>(k.year), static_cast<ub1>(k.month),
                        static_cast<ub1>(k.day), static_cast<ub1>(k.hour),
                        static_cast<ub1>(k.minute), static_cast<ub1>(k.second), k.fraction,
                        nullptr, 0),
              OCI_ERROR);
    EXPECT_EQ(c.LastError(), k.error);
  }
  // A failed construction leaves the value as it was.
  ASSERT_EQ(get_date(c.env, c.err, ts, &year, &month, &day), OCI_SUCCESS);
  EXPECT_EQ(year, 2004);

  // A time zone is kept by the kinds that have one.
  auto* tz = Descriptor<OCIDateTime>(c, OCI_DTYPE_TIMESTAMP_TZ);
  const std::string zone = "-03:30";
  ASSERT_EQ(construct(c.env, c.err, tz, 2003, 3, 15, 10, 0, 0, 0,
                      reinterpret_cast<const OraText*>(zone.data()), zone.size()),
            OCI_SUCCESS);
  ASSERT_EQ(offset(c.env, c.err, tz, &tz_hour, &tz_minute), OCI_SUCCESS);
  EXPECT_EQ(tz_hour, -3);
  EXPECT_EQ(tz_minute, -30);
  for (const char* wrong : {"+15:00", "Europe/Nowhere"}) {
    EXPECT_EQ(construct(c.env, c.err, tz, 2003, 3, 15, 10, 0, 0, 0,
                        reinterpret_cast<const OraText*>(wrong), std::strlen(wrong)),
              OCI_ERROR);
  }
  EXPECT_EQ(c.LastError(), "ORA-01882: timezone region not found");

  // Text in and out by a date format model.
  auto from_text = Fn<OCIDateTimeFromText_t>("OCIDateTimeFromText");
  auto to_text = Fn<OCIDateTimeToText_t>("OCIDateTimeToText");
  const std::string text = "15.03.2003 10:20:30", model = "DD.MM.YYYY HH24:MI:SS";
  ASSERT_EQ(from_text(c.env, c.err, reinterpret_cast<const OraText*>(text.data()), text.size(),
                      reinterpret_cast<const OraText*>(model.data()),
                      static_cast<ub1>(model.size()), nullptr, 0, ts),
            OCI_SUCCESS);
  const std::string out_model = "YYYY-MM-DD HH24:MI:SS";
  char buffer[40];
  ub4 size = sizeof buffer;
  ASSERT_EQ(to_text(c.env, c.err, ts, reinterpret_cast<const OraText*>(out_model.data()),
                    static_cast<ub1>(out_model.size()), 0, nullptr, 0, &size,
                    reinterpret_cast<OraText*>(buffer)),
            OCI_SUCCESS);
  EXPECT_EQ(std::string(buffer, size), "2003-03-15 10:20:30");
  size = 5;
  EXPECT_EQ(to_text(c.env, c.err, ts, reinterpret_cast<const OraText*>(out_model.data()),
                    static_cast<ub1>(out_model.size()), 0, nullptr, 0, &size,
                    reinterpret_cast<OraText*>(buffer)),
            OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01877: string is too long for internal buffer");
  Library().DescriptorFree(tz, OCI_DTYPE_TIMESTAMP_TZ);
  Library().DescriptorFree(ts, OCI_DTYPE_TIMESTAMP);
}

TEST_F(ClientCalls, IntervalDescriptorsKeepTheirFields) {
  OciConnection c("system", "manager");
  auto* ym = Descriptor<OCIInterval>(c, OCI_DTYPE_INTERVAL_YM);
  auto* ds = Descriptor<OCIInterval>(c, OCI_DTYPE_INTERVAL_DS);
  ASSERT_EQ(Fn<OCIIntervalSetYearMonth_t>("OCIIntervalSetYearMonth")(c.env, c.err, -2, -5, ym),
            OCI_SUCCESS);
  ASSERT_EQ(Fn<OCIIntervalSetDaySecond_t>("OCIIntervalSetDaySecond")(c.env, c.err, 3, 4, 5, 6,
                                                                      700, ds),
            OCI_SUCCESS);
  sb4 f[5] = {};
  ASSERT_EQ(Fn<OCIIntervalGetYearMonth_t>("OCIIntervalGetYearMonth")(c.env, c.err, &f[0], &f[1],
                                                                      ym),
            OCI_SUCCESS);
  EXPECT_EQ(std::vector<sb4>(f, f + 2), (std::vector<sb4>{-2, -5}));
  auto get_ds = Fn<OCIIntervalGetDaySecond_t>("OCIIntervalGetDaySecond");
  ASSERT_EQ(get_ds(c.env, c.err, &f[0], &f[1], &f[2], &f[3], &f[4], ds), OCI_SUCCESS);
  EXPECT_EQ(std::vector<sb4>(f, f + 5), (std::vector<sb4>{3, 4, 5, 6, 700}));
  // Each call takes only its own kind.
  EXPECT_EQ(get_ds(c.env, c.err, &f[0], &f[1], &f[2], &f[3], &f[4], ym), OCI_INVALID_HANDLE);
  Library().DescriptorFree(ym, OCI_DTYPE_INTERVAL_YM);
  Library().DescriptorFree(ds, OCI_DTYPE_INTERVAL_DS);
}

TEST_F(ClientCalls, DescriptorAndLengthPrefixedBindsAndDefines) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (D date, R raw(10), L long, S varchar2(10), C char(4))"), "");
  auto construct = Fn<OCIDateTimeConstruct_t>("OCIDateTimeConstruct");
  auto bind_pos = Fn<OCIBindByPos_t>("OCIBindByPos");
  auto* ts = Descriptor<OCIDateTime>(c, OCI_DTYPE_TIMESTAMP);
  ASSERT_EQ(construct(c.env, c.err, ts, 1999, 12, 31, 23, 59, 59, 999000000, nullptr, 0),
            OCI_SUCCESS);
  unsigned char raw[2 + 3] = {3, 0, 0xAB, 0x00, 0xCD};  // SQLT_VBI: ub2 length, then the bytes
  unsigned char long_text[4 + 5] = {5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};  // SQLT_LVC: ub4 length
  OCIDate odt{};
  odt.OCIDateYYYY = 1700;
  odt.OCIDateMM = 2;
  odt.OCIDateDD = 28;
  OCIStmt* insert = Prepare(c, "insert into T values (:1, :2, :3, :4, 'ab')");
  OCIBind* bind = nullptr;
  ASSERT_EQ(bind_pos(insert, &bind, c.err, 1, &ts, sizeof ts, SQLT_TIMESTAMP, nullptr, nullptr,
                     nullptr, 0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(bind_pos(insert, &bind, c.err, 2, raw, sizeof raw, SQLT_VBI, nullptr, nullptr, nullptr,
                     0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(bind_pos(insert, &bind, c.err, 3, long_text, sizeof long_text, SQLT_LVC, nullptr,
                     nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(bind_pos(insert, &bind, c.err, 4, &odt, sizeof odt, SQLT_ODT, nullptr, nullptr,
                     nullptr, 0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Library().StmtExecute(c.svc, insert, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS)
      << c.LastError();
  Library().HandleFree(insert, OCI_HTYPE_STMT);
  // The fraction of a second is dropped in a DATE.
  EXPECT_EQ(c.Query("select to_char(D, 'YYYY-MM-DD HH24:MI:SS'), R, L, S from T").values[0],
            (std::vector<std::string>{"1999-12-31 23:59:59", "AB00CD", "hello", "28-FEB-00"}));

  OCIStmt* select = Prepare(c, "select D, R, L, S, C, D from T");
  ASSERT_EQ(Library().StmtExecute(c.svc, select, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  auto* fetched = Descriptor<OCIDateTime>(c, OCI_DTYPE_TIMESTAMP);
  unsigned char raw_out[2 + 8] = {};
  unsigned char long_out[4 + 3] = {};  // too short for "hello"
  OCIDate odt_out{};
  char fixed[10];
  sb2 ind[6] = {};
  ub2 len[6] = {}, rcode[6] = {};
  OCIDefine* def = nullptr;
  Library().DefineByPos(select, &def, c.err, 1, &fetched, -1, SQLT_TIMESTAMP, &ind[0], &len[0],
                        &rcode[0], OCI_DEFAULT);
  Library().DefineByPos(select, &def, c.err, 2, raw_out, sizeof raw_out, SQLT_VBI, &ind[1],
                        &len[1], &rcode[1], OCI_DEFAULT);
  Library().DefineByPos(select, &def, c.err, 3, long_out, sizeof long_out, SQLT_LVC, &ind[2],
                        &len[2], &rcode[2], OCI_DEFAULT);
  Library().DefineByPos(select, &def, c.err, 4, &odt_out, sizeof odt_out, SQLT_ODT, &ind[3],
                        &len[3], &rcode[3], OCI_DEFAULT);
  // A CHAR define is blank-padded, but its length is the value's.
  Library().DefineByPos(select, &def, c.err, 5, fixed, sizeof fixed, SQLT_AFC, &ind[4], &len[4],
                        &rcode[4], OCI_DEFAULT);
  EXPECT_EQ(Library().StmtFetch(select, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT),
            OCI_SUCCESS_WITH_INFO);
  sb2 year = 0;
  ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
  ub4 fraction = 9;
  Fn<OCIDateTimeGetDate_t>("OCIDateTimeGetDate")(c.env, c.err, fetched, &year, &month, &day);
  Fn<OCIDateTimeGetTime_t>("OCIDateTimeGetTime")(c.env, c.err, fetched, &hour, &minute, &second,
                                                  &fraction);
  EXPECT_EQ((std::vector<int>{year, month, day, hour, minute, second, static_cast<int>(fraction)}),
            (std::vector<int>{1999, 12, 31, 23, 59, 59, 0}));
  EXPECT_EQ(std::vector<unsigned char>(raw_out, raw_out + 5),
            (std::vector<unsigned char>{3, 0, 0xAB, 0x00, 0xCD}));
  EXPECT_EQ(len[1], 5);
  EXPECT_EQ(std::vector<unsigned char>(long_out, long_out + 7),
            (std::vector<unsigned char>{3, 0, 0, 0, 'h', 'e', 'l'}));
  EXPECT_EQ(rcode[2], OCI_RC_TRUNCATED);
  EXPECT_EQ(ind[2], 5);
  EXPECT_EQ((std::vector<int>{odt_out.OCIDateYYYY, odt_out.OCIDateMM, odt_out.OCIDateDD}),
            (std::vector<int>{2000, 2, 28}));
  EXPECT_EQ(std::string(fixed, sizeof fixed), "ab        ");
  EXPECT_EQ(len[4], 4);
  Library().HandleFree(select, OCI_HTYPE_STMT);

  // An OCIDate with a day the month lacks is refused.
  odt.OCIDateDD = 30;
  insert = Prepare(c, "insert into T (D) values (:1)");
  ASSERT_EQ(bind_pos(insert, &bind, c.err, 1, &odt, sizeof odt, SQLT_ODT, nullptr, nullptr,
                     nullptr, 0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Library().StmtExecute(c.svc, insert, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01847: day of month must be between 1 and last day of month");
  Library().HandleFree(insert, OCI_HTYPE_STMT);
  Library().DescriptorFree(fetched, OCI_DTYPE_TIMESTAMP);
  Library().DescriptorFree(ts, OCI_DTYPE_TIMESTAMP);
}

TEST_F(ClientCalls, RowidOfTheLastChangedRow) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (N number, S varchar2(5))"), "");
  ASSERT_EQ(c.Exec("insert into T values (1, 'one')"), "");
  auto* rowid = Descriptor<OCIRowid>(c, OCI_DTYPE_ROWID);
  auto to_char = Fn<OCIRowidToChar_t>("OCIRowidToChar");
  auto rowid_of = [&](const std::string& sql) {
    OCIStmt* stmt = Prepare(c, sql);
    EXPECT_EQ(Library().StmtExecute(c.svc, stmt, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << sql;
    EXPECT_EQ(Library().AttrGet(stmt, OCI_HTYPE_STMT, rowid, nullptr, OCI_ATTR_ROWID, c.err),
              OCI_SUCCESS);
    Library().HandleFree(stmt, OCI_HTYPE_STMT);
    char text[20] = {};
    ub2 length = sizeof text;
    const sword rc = to_char(rowid, reinterpret_cast<OraText*>(text), &length, c.err);
    return rc == OCI_SUCCESS ? std::string(text, length) : c.LastError();
  };
  const std::string inserted = rowid_of("insert into T values (2, 'two')");
  ASSERT_EQ(inserted.size(), 18u);
  EXPECT_EQ(c.Query("select S from T where rowid = '" + inserted + "'").values[0][0], "two");
  EXPECT_EQ(rowid_of("update T set S = 'zwei' where N = 2"), inserted);
  EXPECT_EQ(rowid_of("delete from T where N = 2"), inserted);
  EXPECT_EQ(rowid_of("delete from T where N = 99"), "ORA-01410: invalid ROWID");
  // A buffer too small for the 18 characters takes nothing and learns the length.
  rowid_of("update T set S = 'eins'");
  char text[10];
  ub2 length = sizeof text;
  EXPECT_EQ(to_char(rowid, reinterpret_cast<OraText*>(text), &length, c.err), OCI_ERROR);
  EXPECT_EQ(length, 18);
  // The attribute fills a ROWID descriptor, not any memory.
  OCIStmt* stmt = Prepare(c, "update T set S = 'uno'");
  ASSERT_EQ(Library().StmtExecute(c.svc, stmt, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  char memory[16] = {};
  EXPECT_EQ(Library().AttrGet(stmt, OCI_HTYPE_STMT, memory, nullptr, OCI_ATTR_ROWID, c.err),
            OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-24328: illegal attribute value");
  Library().HandleFree(stmt, OCI_HTYPE_STMT);
  Library().DescriptorFree(rowid, OCI_DTYPE_ROWID);
}

TEST_F(ClientCalls, LobsOpenCloseAndReadAsUtf16) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (C clob)"), "");
  ASSERT_EQ(c.Exec("insert into T values ('Grüße')"), "");
  OCIStmt* stmt = Prepare(c, "select C from T");
  ASSERT_EQ(Library().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  auto* lob = Descriptor<OCILobLocator>(c, OCI_DTYPE_LOB);
  OCIDefine* def = nullptr;
  ASSERT_EQ(Library().DefineByPos(stmt, &def, c.err, 1, &lob, -1, SQLT_CLOB, nullptr, nullptr,
                                  nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Library().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);

  auto open = Fn<OCILobOpen_t>("OCILobOpen");
  auto close = Fn<OCILobClose_t>("OCILobClose");
  auto is_open = Fn<OCILobIsOpen_t>("OCILobIsOpen");
  int flag = -1;
  EXPECT_EQ(close(c.svc, c.err, lob), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-22289: cannot perform CLOSE operation on an unopened file or LOB");
  ASSERT_EQ(open(c.svc, c.err, lob, OCI_LOB_READONLY), OCI_SUCCESS);
  ASSERT_EQ(is_open(c.svc, c.err, lob, &flag), OCI_SUCCESS);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(open(c.svc, c.err, lob, OCI_LOB_READONLY), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-22293: LOB already opened in the same transaction");
  ub4 chunk = 0;
  ASSERT_EQ(Fn<OCILobGetChunkSize_t>("OCILobGetChunkSize")(c.svc, c.err, lob, &chunk),
            OCI_SUCCESS);
  EXPECT_EQ(chunk, 8132u);

  // UTF-16 asked for with its character-set id: amounts count its code units.
  auto read = Fn<OCILobRead_t>("OCILobRead");
  char16_t units[3];
  ub4 amount = 5;
  ASSERT_EQ(read(c.svc, c.err, lob, &amount, 1, units, sizeof units, nullptr, nullptr,
                 OCI_UTF16ID, SQLCS_IMPLICIT),
            OCI_NEED_DATA);
  EXPECT_EQ(amount, 3u);
  EXPECT_EQ(std::u16string(units, 3), u"Grü");
  ASSERT_EQ(read(c.svc, c.err, lob, &amount, 1, units, sizeof units, nullptr, nullptr,
                 OCI_UTF16ID, SQLCS_IMPLICIT),
            OCI_SUCCESS);
  EXPECT_EQ(amount, 2u);
  EXPECT_EQ(std::u16string(units, 2), u"ße");
  ASSERT_EQ(close(c.svc, c.err, lob), OCI_SUCCESS);
  ASSERT_EQ(is_open(c.svc, c.err, lob, &flag), OCI_SUCCESS);
  EXPECT_EQ(flag, 0);

  // The engine keeps no object cache: freeing it frees nothing and succeeds.
  EXPECT_EQ(Fn<OCICacheFree_t>("OCICacheFree")(c.env, c.err, c.svc), OCI_SUCCESS);
  Library().HandleFree(stmt, OCI_HTYPE_STMT);
  Library().DescriptorFree(lob, OCI_DTYPE_LOB);
}

}  // namespace
}  // namespace qm::ocilite::testing
