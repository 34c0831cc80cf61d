#include "ocilite/internal/ora_error.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace qm::ocilite {
namespace {

struct ErrorText {
  int code;
  std::string_view text;
};

// Oracle's message texts of the release the engine presents, sorted by number.
constexpr ErrorText kTexts[] = {
    {0, "normal, successful completion"},
    {1, "unique constraint (%s.%s) violated"},
    {54, "resource busy and acquire with NOWAIT specified"},
    {372, "file %s cannot be modified at this time"},
    {600, "internal error code, arguments: [%s], [%s]"},
    {900, "invalid SQL statement"},
    {901, "invalid CREATE command"},
    {902, "invalid datatype"},
    {903, "invalid table name"},
    {904, "%s: invalid identifier"},
    {905, "missing keyword"},
    {906, "missing left parenthesis"},
    {907, "missing right parenthesis"},
    {908, "missing NULL keyword"},
    {909, "invalid number of arguments"},
    {910, "specified length too long for its datatype"},
    {911, "invalid character"},
    {913, "too many values"},
    {917, "missing comma"},
    {918, "column ambiguously defined"},
    {920, "invalid relational operator"},
    {921, "unexpected end of SQL command"},
    {922, "missing or invalid option"},
    {923, "FROM keyword not found where expected"},
    {924, "missing BY keyword"},
    {925, "missing INTO keyword"},
    {926, "missing VALUES keyword"},
    {927, "missing equal sign"},
    {928, "missing SELECT keyword"},
    {931, "missing identifier"},
    {932, "inconsistent datatypes: expected %s got %s"},
    {933, "SQL command not properly ended"},
    {934, "group function is not allowed here"},
    {935, "group function is nested too deeply"},
    {936, "missing expression"},
    {937, "not a single-group group function"},
    {938, "not enough arguments for function"},
    {939, "too many arguments for function"},
    {940, "invalid ALTER command"},
    {942, "table or view does not exist"},
    {946, "missing TO keyword"},
    {947, "not enough values"},
    {950, "invalid DROP option"},
    {953, "invalid index name"},
    {955, "name is already used by an existing object"},
    {957, "duplicate column name"},
    {959, "tablespace '%s' does not exist"},
    {960, "ambiguous column naming in select list"},
    {969, "missing ON keyword"},
    {971, "missing SET keyword"},
    {972, "identifier is too long"},
    {979, "not a GROUP BY expression"},
    {984, "column not allowed here"},
    {987, "missing or invalid username(s)"},
    {988, "missing or invalid password(s)"},
    {990, "missing or invalid privilege"},
    {997, "illegal use of LONG datatype"},
    {998, "must name this expression with a column alias"},
    {1001, "invalid cursor"},
    {1002, "fetch out of sequence"},
    {1003, "no statement parsed"},
    {1005, "null password given; logon denied"},
    {1007, "variable not in select list"},
    {1008, "not all variables bound"},
    {1012, "not logged on"},
    {1013, "user requested cancel of current operation"},
    {1017, "invalid username/password; logon denied"},
    {1027, "bind variables not allowed for data definition operations"},
    {1031, "insufficient privileges"},
    {1034, "ORACLE not available"},
    {1036, "illegal variable name/number"},
    {1045, "user %s lacks CREATE SESSION privilege; logon denied"},
    {1110, "data file %s: '%s'"},
    {1114, "IO error writing block to file %s (block # %s)"},
    {1115, "IO error reading block from file %s (block # %s)"},
    {1116, "error in opening database file %s"},
    {1119, "error in creating database file '%s'"},
    {1400, "cannot insert NULL into (%s)"},
    {1401, "inserted value too large for column"},
    {1403, "no data found"},
    {1405, "fetched column value is NULL"},
    {1406, "fetched column value was truncated"},
    {1407, "cannot update (%s) to NULL"},
    {1410, "invalid ROWID"},
    {1418, "specified index does not exist"},
    {1426, "numeric overflow"},
    {1427, "single-row subquery returns more than one row"},
    {1428, "argument '%s' is out of range"},
    {1430, "column being added already exists in table"},
    {1438, "value larger than specified precision allowed for this column"},
    {1439, "column to be modified must be empty to change datatype"},
    {1440, "column to be modified must be empty to decrease precision or scale"},
    {1441, "cannot decrease column length because some value is too big"},
    {1442, "column to be modified to NOT NULL is already NOT NULL"},
    {1445, "cannot select ROWID from, or sample, a join view without a key-preserved table"},
    {1449, "column contains NULL values; cannot alter to NOT NULL"},
    {1451, "column to be modified to NULL cannot be modified to NULL"},
    {1452, "cannot CREATE UNIQUE INDEX; duplicate keys found"},
    {1455, "converting column overflows integer datatype"},
    {1460, "unimplemented or unreasonable conversion requested"},
    {1465, "invalid hex number"},
    {1476, "divisor is equal to zero"},
    {1481, "invalid number format model"},
    {1489, "result of string concatenation is too long"},
    {1543, "tablespace '%s' already exists"},
    {1549, "tablespace not empty, use INCLUDING CONTENTS option"},
    {1578, "ORACLE data block corrupted (file # %s, block # %s)"},
    {1652, "unable to extend temp segment by %s in tablespace %s"},
    {1653, "unable to extend table %s.%s by %s in tablespace %s"},
    {1704, "string literal too long"},
    {1722, "invalid number"},
    {1723, "zero-length columns are not allowed"},
    {1724, "floating point precision is out of range (1 to 126)"},
    {1727, "numeric precision specifier is out of range (1 to 38)"},
    {1728, "numeric scale specifier is out of range (-84 to 127)"},
    {1740, "missing double quote in identifier"},
    {1741, "illegal zero-length identifier"},
    {1754, "a table may contain only one column of type LONG"},
    {1756, "quoted string not properly terminated"},
    {1758, "table must be empty to add mandatory (NOT NULL) column"},
    {1780, "string literal required"},
    {1785, "ORDER BY item must be the number of a SELECT-list expression"},
    {1789, "query block has incorrect number of result columns"},
    {1790, "expression must have same datatype as corresponding expression"},
    {1792, "maximum number of columns in a table or view is 1000"},
    {1810, "format code appears twice"},
    {1821, "date format not recognized"},
    {1830, "date format picture ends before converting entire input string"},
    {1839, "date not valid for month specified"},
    {1840, "input value not long enough for date format"},
    {1841, "(full) year must be between -4713 and +9999, and not be 0"},
    {1843, "not a valid month"},
    {1846, "not a valid day of the week"},
    {1847, "day of month must be between 1 and last day of month"},
    {1849, "hour must be between 1 and 12"},
    {1850, "hour must be between 0 and 23"},
    {1851, "minutes must be between 0 and 59"},
    {1852, "seconds must be between 0 and 59"},
    {1853, "seconds in day must be between 0 and 86399"},
    {1855, "AM/A.M. or PM/P.M. required"},
    {1857, "not a valid time zone"},
    {1858, "a non-numeric character was found where a numeric was expected"},
    {1861, "literal does not match format string"},
    {1874, "time zone hour must be between -12 and 14"},
    {1875, "time zone minute must be between -59 and 59"},
    {1877, "string is too long for internal buffer"},
    {1878, "specified field not found in datetime or interval"},
    {1880, "the fractional seconds must be between 0 and 999999999"},
    {1882, "timezone region not found"},
    {1898, "too many precision specifiers"},
    {1917, "user or role '%s' does not exist"},
    {1918, "user '%s' does not exist"},
    {1919, "role '%s' does not exist"},
    {1920, "user name '%s' conflicts with another user or role name"},
    {1921, "role name '%s' conflicts with another user or role name"},
    {1922, "CASCADE must be specified to drop '%s'"},
    {1924, "role '%s' not granted or does not exist"},
    {1935, "missing user or role name"},
    {1938, "IDENTIFIED BY must be specified for CREATE USER"},
    {1951, "ROLE '%s' not granted to '%s'"},
    {1952, "system privileges not granted to '%s'"},
    {2067, "transaction or savepoint rollback required"},
    {2091, "transaction rolled back"},
    {2180, "invalid option for CREATE TABLESPACE"},
    {2195, "Attempt to create PERMANENT object in a TEMPORARY tablespace"},
    {2211, "invalid value for PCTFREE or PCTUSED"},
    {2216, "tablespace name expected"},
    {2231, "missing or invalid option to ALTER DATABASE"},
    {2236, "invalid file name"},
    {2248, "invalid option for ALTER SESSION"},
    {2251, "subquery not allowed here"},
    {2256, "number of referencing columns must match referenced columns"},
    {2260, "table can have only one primary key"},
    {2261, "such unique or primary key already exists in the table"},
    {2264, "name already used by an existing constraint"},
    {2266, "unique/primary keys in table referenced by enabled foreign keys"},
    {2267, "column type incompatible with referenced column type"},
    {2268, "referenced table does not have a primary key"},
    {2270, "no matching unique or primary key for this column-list"},
    {2273, "this unique/primary key is referenced by some foreign keys"},
    {2275, "such a referential constraint already exists in the table"},
    {2287, "sequence number not allowed here"},
    {2289, "sequence does not exist"},
    {2290, "check constraint (%s.%s) violated"},
    {2291, "integrity constraint (%s.%s) violated - parent key not found"},
    {2292, "integrity constraint (%s.%s) violated - child record found"},
    {2293, "cannot validate (%s.%s) - check constraint violated"},
    {2296, "cannot enable (%s.) - null values found"},
    {2298, "cannot validate (%s.%s) - parent keys not found"},
    {2299, "cannot validate (%s.%s) - duplicate keys found"},
    {2376, "invalid or redundant resource"},
    {2377, "invalid resource limit"},
    {2379, "profile %s already exists"},
    {2380, "profile %s does not exist"},
    {2381, "cannot drop PUBLIC_DEFAULT profile"},
    {2382, "profile %s has users assigned, cannot drop without CASCADE"},
    {2436, "date or system variable wrongly specified in CHECK constraint"},
    {2437, "cannot validate (%s.%s) - primary key violated"},
    {2438, "Column check constraint cannot reference other columns"},
    {2441, "Cannot drop nonexistent primary key"},
    {2442, "Cannot drop nonexistent unique key"},
    {2443, "Cannot drop constraint  - nonexistent constraint"},
    {2449, "unique/primary keys in table referenced by foreign keys"},
    {3001, "unimplemented feature"},
    {3113, "end-of-file on communication channel"},
    {3114, "not connected to ORACLE"},
    {3130, "the buffer for the next piece to be fetched is required"},
    {3290, "Invalid truncate command - missing CLUSTER or TABLE keyword"},
    {4005, "INCREMENT must be a nonzero integer"},
    {4006, "START WITH cannot be less than MINVALUE"},
    {4008, "START WITH cannot be more than MAXVALUE"},
    {4043, "object %s does not exist"},
    {8002, "sequence %s.CURRVAL is not yet defined in this session"},
    {8004, "sequence %s.NEXTVAL exceeds %s and cannot be instantiated"},
    {12154, "TNS:could not resolve service name"},
    {12162, "TNS:net service name is incorrectly specified"},
    {12899, "value too large for column %s (actual: %s, maximum: %s)"},
    {12901, "default temporary tablespace must be of TEMPORARY type"},
    {12906, "cannot drop default temporary tablespace"},
    {12910, "cannot specify temporary tablespace as default tablespace"},
    {12911, "permanent tablespace cannot be temporary tablespace"},
    {12983, "cannot drop all columns in a table"},
    {22275, "invalid LOB locator specified"},
    {22285, "non-existent directory or file for %s operation"},
    {22288, "file or LOB operation %s failed"},
    {22289, "cannot perform %s operation on an unopened file or LOB"},
    {22293, "LOB already opened in the same transaction"},
    {22929, "invalid or missing directory name"},
    {24300, "bad value for mode"},
    {24309, "already connected to a server"},
    {24313, "user already authenticated"},
    {24315, "illegal attribute type"},
    {24316, "illegal handle type"},
    {24324, "service handle not initialized"},
    {24327, "need explicit attach before authenticating a user"},
    {24328, "illegal attribute value"},
    {24333, "zero iteration count"},
    {24334, "no descriptor for this position"},
    {24337, "statement handle not prepared"},
    {24338, "statement handle not executed"},
    {24343, "user defined callback error"},
    {24345, "A Truncation or null fetch error occurred"},
    {24374, "define not done before fetch or execute and fetch"},
    {24801, "illegal parameter value in OCI lob function"},
    {28000, "the account is locked"},
    {28001, "the password has expired"},
    {28002, "the password will expire within %s days"},
    {28003, "password verification for the specified password failed"},
    {30006, "resource busy; acquire with WAIT timeout expired"},
};

static_assert(std::is_sorted(std::begin(kTexts), std::end(kTexts),
                             [](const ErrorText& a, const ErrorText& b) {
                               return a.code < b.code;
                             }),
              "error texts sorted by number");

}  // namespace

std::string_view OraErrorText(int code) {
  const auto* it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                                    [](const ErrorText& e, int c) { return e.code < c; });
  if (it != std::end(kTexts) && it->code == code) return it->text;
  return "Message not found";
}

std::string FormatOraMessage(int code, std::string_view text) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
  std::string message(prefix);
  message += text;
  return message;
}

OraError::OraError(int code, std::string message, WholeMessage)
    : std::runtime_error(std::move(message)), code_(code) {}

OraError OraError::WithText(int code, std::string_view text) {
  return OraError(code, FormatOraMessage(code, text), {});
}

namespace {
std::string Substitute(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto arg = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
      if (arg != args.end()) out += *arg++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}
}  // namespace

OraError::OraError(int code, std::initializer_list<std::string_view> args)
    : OraError(code, FormatOraMessage(code, Substitute(OraErrorText(code), args)), {}) {}

OraError OraError::Over(int code, const OraError& cause,
                        std::initializer_list<std::string_view> args) {
  return OraError(code,
                  FormatOraMessage(code, Substitute(OraErrorText(code), args)) + "\n" + cause.what(),
                  {});
}

}  // namespace qm::ocilite
