// The parser's statements of the database's accounts and storage: CREATE/ALTER USER clauses,
// profiles and their limits, GRANT and REVOKE, and CREATE TABLESPACE.
#include <algorithm>
#include <iomanip>
#include <iterator>
#include <locale>
#include <optional>
#include <sstream>
#include <string>

#include "ocilite/internal/sql_parser_impl.h"

namespace qm::ocilite {

CreateTablespaceStmt Parser::ParseCreateTablespace(bool temporary) {
  CreateTablespaceStmt s;
  s.temporary = temporary;
  s.name = ParseIdentifier(2216);
  ExpectName(temporary ? "TEMPFILE" : "DATAFILE", 2180);
  if (Peek().kind != TokenKind::kString) Fail(2236);
  s.file_pos = Peek().pos;
  s.file = Next().text;
  ExpectName("SIZE", 2180);
  s.bytes = ParseSize();
  s.reuse = AcceptName("REUSE");
  while (!AtEnd()) {
    if (AcceptName("AUTOEXTEND")) {
      if (AcceptName("OFF")) continue;
      ExpectName("ON", 2180);
      s.autoextend = true;
      if (AcceptName("NEXT")) ParseSize();
      if (AcceptName("MAXSIZE") && !AcceptName("UNLIMITED")) ParseSize();
    } else if (AcceptName("EXTENT")) {
      ExpectName("MANAGEMENT", 2180);
      if (AcceptName("LOCAL")) {
        if (AcceptName("UNIFORM")) {
          if (AcceptName("SIZE")) ParseSize();
        } else {
          AcceptName("AUTOALLOCATE");
        }
      } else {
        ExpectName("DICTIONARY", 2180);
      }
    } else if (AcceptName("SEGMENT")) {
      ExpectName("SPACE", 2180);
      ExpectName("MANAGEMENT", 2180);
      if (!AcceptName("AUTO")) ExpectName("MANUAL", 2180);
    } else if (AcceptName("TEMPORARY")) {
      s.temporary = true;
    } else if (!(AcceptName("LOGGING") || AcceptName("NOLOGGING") || AcceptName("ONLINE") ||
                 AcceptName("OFFLINE") || AcceptName("PERMANENT"))) {
      Fail(2180);
    }
  }
  return s;
}

// name LIMIT resource value [resource value ...]; a value is UNLIMITED, DEFAULT, a number or
// a quotient of two numbers (1/24 for an hour).
template <typename Stmt>
Stmt Parser::ParseProfileLimits() {
  Stmt s;
  s.profile = Peek().IsName("DEFAULT") ? TakeName() : ParseIdentifier(922);
  ExpectName("LIMIT", 922);
  do {
    if (Peek().kind != TokenKind::kName || !IsProfileResource(Peek().text)) Fail(2376);
    Name resource = TakeName();
    std::string value;
    if (AcceptName("UNLIMITED")) {
      value = "UNLIMITED";
    } else if (AcceptName("DEFAULT")) {
      value = "DEFAULT";
    } else {
      if (Peek().kind != TokenKind::kNumber) Fail(2377);
      const std::optional<double> number = DecimalValue(Peek());
      if (!number) Fail(2377);
      Next();
      double n = *number;
      if (Peek().IsSymbol("/")) {
        Next();
        if (Peek().kind != TokenKind::kNumber) Fail(2377);
        const std::optional<double> d = DecimalValue(Peek());
        if (!d) Fail(2377);
        Next();
        if (*d == 0) Fail(1476);
        n /= *d;
      }
      if (n <= 0) Fail(2377);
      std::ostringstream text;
      text.imbue(std::locale::classic());
      text << std::setprecision(15) << n;
      value = text.str();
    }
    s.limits.emplace_back(std::move(resource), std::move(value));
  } while (!AtEnd());
  return s;
}

bool Parser::IsProfileResource(std::string_view word) {
  static constexpr std::string_view kResources[] = {"SESSIONS_PER_USER",
                                                    "CPU_PER_SESSION",
                                                    "CPU_PER_CALL",
                                                    "CONNECT_TIME",
                                                    "IDLE_TIME",
                                                    "LOGICAL_READS_PER_SESSION",
                                                    "LOGICAL_READS_PER_CALL",
                                                    "COMPOSITE_LIMIT",
                                                    "PRIVATE_SGA",
                                                    "FAILED_LOGIN_ATTEMPTS",
                                                    "PASSWORD_LIFE_TIME",
                                                    "PASSWORD_REUSE_TIME",
                                                    "PASSWORD_REUSE_MAX",
                                                    "PASSWORD_LOCK_TIME",
                                                    "PASSWORD_GRACE_TIME",
                                                    "PASSWORD_VERIFY_FUNCTION"};
  return std::find(std::begin(kResources), std::end(kResources), word) != std::end(kResources);
}

Name Parser::ParsePassword() {
  const Token& t = Peek();
  if (t.kind == TokenKind::kQuotedName || (t.kind == TokenKind::kName && !IsReservedWord(t.text)))
    return TakeName();
  Fail(988);
}

template <typename Stmt>
Stmt Parser::ParseUserClauses(bool create) {
  Stmt s;
  s.user = ParseIdentifier(1935);
  bool identified = false;
  bool any = false;
  while (!AtEnd()) {
    any = true;
    if (AcceptName("IDENTIFIED")) {
      if (AcceptName("EXTERNALLY")) {
        s.password.reset();
      } else {
        if (!AcceptName("BY")) Fail(AtEnd() ? 921 : 922);
        s.password = ParsePassword();
      }
      identified = true;
    } else if (AcceptName("DEFAULT")) {
      if (AcceptName("ROLE")) Fail(3001);
      ExpectName("TABLESPACE", 922);
      s.default_tablespace = ParseIdentifier(959);
    } else if (AcceptName("TEMPORARY")) {
      ExpectName("TABLESPACE", 922);
      s.temporary_tablespace = ParseIdentifier(959);
    } else if (AcceptName("QUOTA")) {
      std::string size;
      if (AcceptName("UNLIMITED")) {
        size = "UNLIMITED";
      } else {
        if (Peek().kind != TokenKind::kNumber) Fail(922);
        const Token& unit = Peek(1);
        size = std::to_string(WholeValue(Peek()));
        if (unit.kind == TokenKind::kName &&
            (unit.text == "K" || unit.text == "M" || unit.text == "G"))
          size += unit.text;
        ParseSize();  // the size in bytes must fit, as the account code reads it so
      }
      ExpectName("ON", 969);
      s.quotas.emplace_back(size, ParseIdentifier(959));
    } else if (AcceptName("PROFILE")) {
      s.profile = Peek().IsName("DEFAULT") ? TakeName() : ParseIdentifier(922);
    } else if (AcceptName("PASSWORD")) {
      ExpectName("EXPIRE", 922);
      s.password_expire = true;
    } else if (AcceptName("ACCOUNT")) {
      if (AcceptName("LOCK")) {
        s.account_lock = true;
      } else {
        ExpectName("UNLOCK", 922);
        s.account_lock = false;
      }
    } else {
      Fail(922);
    }
  }
  if (create && !identified) throw OraError(1938).At(Peek().pos);
  if (!create && !any) Fail(921);
  return s;
}

GrantStmt Parser::ParseGrant() {
  GrantStmt s;
  s.revoke = Next().text == "REVOKE";
  const std::string_view to_word = s.revoke ? "FROM" : "TO";
  for (;;) {
    if (Peek().kind != TokenKind::kName && Peek().kind != TokenKind::kQuotedName) Fail(990);
    Name privilege = TakeName();
    while (Peek().kind == TokenKind::kName && !Peek().IsName(to_word) && !Peek().IsName("ON")) {
      privilege.text += ' ';
      privilege.text += Next().text;
    }
    s.privileges.push_back(std::move(privilege));
    if (!AcceptSymbol(",")) break;
  }
  if (AcceptName("ON")) s.object = ParseObjectName(903);
  if (!AcceptName(to_word)) Fail(905);
  for (;;) {
    if (Peek().kind != TokenKind::kName && Peek().kind != TokenKind::kQuotedName) Fail(987);
    s.grantees.push_back(TakeName());
    if (!AcceptSymbol(",")) break;
  }
  if (!s.revoke && AcceptName("WITH")) {
    if (!AcceptName("ADMIN") && !AcceptName("GRANT")) Fail(905);
    ExpectName("OPTION", 905);
    s.admin_option = true;
  }
  return s;
}

template CreateUserStmt Parser::ParseUserClauses<CreateUserStmt>(bool);
template AlterUserStmt Parser::ParseUserClauses<AlterUserStmt>(bool);
template CreateProfileStmt Parser::ParseProfileLimits<CreateProfileStmt>();
template AlterProfileStmt Parser::ParseProfileLimits<AlterProfileStmt>();

}  // namespace qm::ocilite
