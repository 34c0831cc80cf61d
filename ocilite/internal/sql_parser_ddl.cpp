// The parser's definition statements for tables and the other schema objects: CREATE, DROP and
// ALTER (which hand users, profiles and tablespaces to sql_parser_accounts.cpp), data types,
// columns and their constraints, TRUNCATE, indexes, sequences, directories and COMMENT ON.
#include <charconv>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "ocilite/internal/sql_parser_impl.h"

namespace qm::ocilite {

Statement Parser::ParseCreate() {
  Next();
  if (AcceptName("TABLE")) return ParseCreateTable();
  if (AcceptName("USER")) return ParseUserClauses<CreateUserStmt>(true);
  if (AcceptName("PROFILE")) return ParseProfileLimits<CreateProfileStmt>();
  if (AcceptName("TABLESPACE")) return ParseCreateTablespace(false);
  if (Peek().IsName("TEMPORARY") && Peek(1).IsName("TABLESPACE")) {
    Next();
    Next();
    return ParseCreateTablespace(true);
  }
  if (AcceptName("SEQUENCE")) return ParseCreateSequence();
  if (Peek().IsName("DIRECTORY") ||
      (Peek().IsName("OR") && Peek(1).IsName("REPLACE") && Peek(2).IsName("DIRECTORY"))) {
    CreateDirectoryStmt s;
    s.or_replace = AcceptName("OR");
    if (s.or_replace) Next();
    Next();
    s.name = ParseIdentifier(904);
    ExpectName("AS", 905);
    if (Peek().kind != TokenKind::kString) Fail(22929);
    s.path = Next().text;
    return s;
  }
  if (Peek().IsName("INDEX") || (Peek().IsName("UNIQUE") && Peek(1).IsName("INDEX")))
    return ParseCreateIndex();
  for (std::string_view w :
       {"INDEX", "UNIQUE", "BITMAP", "VIEW", "ROLE", "SYNONYM", "PUBLIC", "OR", "GLOBAL",
        "PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER", "TYPE", "DATABASE"})
    if (Peek().IsName(w)) Fail(3001);
  Fail(901);
}

CreateTableStmt Parser::ParseCreateTable() {
  CreateTableStmt s;
  if (!PeekIdentifier()) Fail(903);
  s.table = ParseObjectName(903);
  if (AcceptName("AS")) {
    s.as_query = std::make_unique<SelectStmt>(ParseQuery());
    return s;
  }
  ExpectSymbol("(", 906);
  for (;;) {
    if (PeekTableConstraint()) {
      s.constraints.push_back(ParseTableConstraint());
    } else {
      s.columns.push_back(ParseColumnDef());
    }
    if (!AcceptSymbol(",")) break;
  }
  ExpectSymbol(")", 907);
  while (!AtEnd()) {
    if (AcceptName("TABLESPACE")) {
      s.tablespace = ParseIdentifier(959);
    } else if (Peek().IsName("AS")) {
      Fail(3001);
    } else {
      Fail(922);
    }
  }
  return s;
}

SqlType Parser::ParseDataType(int& pos) {
  pos = Peek().pos;
  if (Peek().kind != TokenKind::kName) Fail(902);
  const std::string word = Next().text;
  auto length = [&](bool required, int max_length) -> int {
    if (!Peek().IsSymbol("(")) {
      if (required) Fail(906);
      return 1;
    }
    Next();
    if (Peek().kind != TokenKind::kNumber) Fail(910);
    const Token& n = Next();
    const long v = std::strtol(n.text.c_str(), nullptr, 10);
    if (v == 0) throw OraError(1723).At(n.pos);
    if (v > max_length) throw OraError(910).At(n.pos);
    if (!AcceptName("BYTE")) AcceptName("CHAR");
    ExpectSymbol(")", 907);
    return static_cast<int>(v);
  };
  if (word == "VARCHAR2" || word == "VARCHAR" || word == "NVARCHAR2")
    return SqlType::Varchar2(length(true, 4000));
  if (word == "CHAR" || word == "NCHAR" || word == "CHARACTER") {
    if (AcceptName("VARYING")) return SqlType::Varchar2(length(true, 4000));
    return SqlType::Char(length(false, 2000));
  }
  if (word == "RAW") return SqlType::Raw(length(true, 2000));
  if (word == "DATE") return SqlType::Date();
  if (word == "CLOB" || word == "NCLOB") return SqlType{DataType::kClob};
  if (word == "BLOB") return SqlType{DataType::kBlob};
  if (word == "BFILE") return SqlType{DataType::kBfile};
  if (word == "LONG") {
    if (AcceptName("RAW")) return SqlType{DataType::kLongRaw};
    AcceptName("VARCHAR");
    return SqlType::Long();
  }
  if (word == "INTEGER" || word == "INT" || word == "SMALLINT") return SqlType::Number(0, 0);
  if (word == "FLOAT" || word == "REAL" || word == "DOUBLE") {
    if (word == "DOUBLE") ExpectName("PRECISION", 902);
    SqlType t = SqlType::Number(word == "REAL" ? 63 : 126, kFloatScale);
    t.is_float = true;
    if (word == "FLOAT" && AcceptSymbol("(")) {
      if (Peek().kind != TokenKind::kNumber) Fail(1724);
      const Token& n = Next();
      const long b = std::strtol(n.text.c_str(), nullptr, 10);
      if (b < 1 || b > 126) throw OraError(1724).At(n.pos);
      t.precision = static_cast<int>(b);
      ExpectSymbol(")", 907);
    }
    return t;
  }
  if (word == "NUMBER" || word == "NUMERIC" || word == "DECIMAL" || word == "DEC") {
    const bool ansi = word != "NUMBER";
    SqlType t = ansi ? SqlType::Number(0, 0) : SqlType::Number();
    if (AcceptSymbol("(")) {
      if (AcceptSymbol("*")) {
        t.precision = 0;
      } else {
        if (Peek().kind != TokenKind::kNumber) Fail(1727);
        const Token& n = Next();
        const long p = std::strtol(n.text.c_str(), nullptr, 10);
        if (p < 1 || p > 38) throw OraError(1727).At(n.pos);
        t.precision = static_cast<int>(p);
      }
      t.scale = 0;
      if (AcceptSymbol(",")) {
        const bool minus = AcceptSymbol("-");
        if (Peek().kind != TokenKind::kNumber) Fail(1728);
        const Token& n = Next();
        long sc = std::strtol(n.text.c_str(), nullptr, 10);
        if (minus) sc = -sc;
        if (sc < -84 || sc > 127) throw OraError(1728).At(n.pos);
        t.scale = static_cast<int>(sc);
      }
      ExpectSymbol(")", 907);
    }
    return t;
  }
  if (word == "CLOB" || word == "BLOB" || word == "NCLOB" || word == "BFILE" ||
      word == "TIMESTAMP" || word == "INTERVAL" || word == "ROWID" || word == "UROWID" ||
      word == "BINARY_FLOAT" || word == "BINARY_DOUBLE")
    throw OraError(3001).At(pos);
  throw OraError(902).At(pos);
}

ColumnDef Parser::ParseColumnDef() {
  ColumnDef c;
  c.name = ParseIdentifier(904);
  if (Peek().IsSymbol(",") || Peek().IsSymbol(")")) Fail(902);
  c.type = ParseDataType(c.type_pos);
  for (;;) {
    if (Peek().IsName("DEFAULT")) {
      Next();
      const int start = Peek().pos;
      c.default_expr = ParseExpr();
      c.default_text = std::string(sql_.substr(start, Peek().pos - start));
      continue;
    }
    if (AcceptName("NULL")) continue;
    ConstraintDef k;
    k.pos = Peek().pos;
    if (AcceptName("CONSTRAINT")) k.name = ParseIdentifier(904);
    if (AcceptName("NOT")) {
      ExpectName("NULL", 908);
      k.kind = ConstraintDef::Kind::kNotNull;
    } else if (Peek().IsName("REFERENCES")) {
      k.kind = ConstraintDef::Kind::kForeignKey;
      ParseReferences(k);
    } else if (!ParseKeyOrCheck(k)) {
      break;
    }
    ParseConstraintState();
    c.constraints.push_back(std::move(k));
  }
  if (!Peek().IsSymbol(",") && !Peek().IsSymbol(")") && !AtEnd()) Fail(907);
  return c;
}

bool Parser::PeekTableConstraint() const {
  for (std::string_view w : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})
    if (Peek().IsName(w)) return true;
  return false;
}

// PRIMARY KEY, UNIQUE or CHECK (condition) into `k`, with the column list a table's
// constraint gives; false when none of them follows.
bool Parser::ParseKeyOrCheck(ConstraintDef& k, bool column_list) {
  if (AcceptName("PRIMARY")) {
    ExpectName("KEY", 905);
    k.kind = ConstraintDef::Kind::kPrimaryKey;
  } else if (AcceptName("UNIQUE")) {
    k.kind = ConstraintDef::Kind::kUnique;
  } else if (AcceptName("CHECK")) {
    k.kind = ConstraintDef::Kind::kCheck;
    ExpectSymbol("(", 906);
    const int start = tokens_[index_ - 1].end;
    k.check = ParseCondition();
    k.check_text = std::string(sql_.substr(start, Peek().pos - start));
    ExpectSymbol(")", 907);
    return true;
  } else {
    return false;
  }
  if (column_list) k.columns = ParseNameList();
  return true;
}

// ( name, ... )
std::vector<Name> Parser::ParseNameList() {
  std::vector<Name> names;
  ExpectSymbol("(", 906);
  for (;;) {
    names.push_back(ParseIdentifier(904));
    if (!AcceptSymbol(",")) break;
  }
  ExpectSymbol(")", 907);
  return names;
}

// REFERENCES [owner.]table [(columns)] [ON DELETE CASCADE | ON DELETE SET NULL]
void Parser::ParseReferences(ConstraintDef& k) {
  ExpectName("REFERENCES", 905);
  k.references = ParseObjectName(903);
  if (Peek().IsSymbol("(")) k.referenced_columns = ParseNameList();
  if (AcceptName("ON")) {
    ExpectName("DELETE", 905);
    if (AcceptName("CASCADE")) {
      k.on_delete = ConstraintDef::OnDelete::kCascade;
    } else {
      ExpectName("SET", 905);
      ExpectName("NULL", 905);
      k.on_delete = ConstraintDef::OnDelete::kSetNull;
    }
  }
}

// What may follow a constraint: the states every constraint here has (enabled, validated)
// and the index clause of a key, taken without effect; other states are not kept.
void Parser::ParseConstraintState() {
  for (;;) {
    if (AcceptName("ENABLE") || AcceptName("VALIDATE")) continue;
    if (AcceptName("USING")) {
      ExpectName("INDEX", 905);
      while (!AtEnd()) {
        if (AcceptName("TABLESPACE")) {
          ParseIdentifier(959);
        } else if (AcceptName("PCTFREE") || AcceptName("INITRANS") || AcceptName("MAXTRANS")) {
          if (Peek().kind != TokenKind::kNumber) Fail(2211);
          Next();
        } else if (AcceptName("COMPUTE")) {
          ExpectName("STATISTICS", 905);
        } else if (!(AcceptName("LOGGING") || AcceptName("NOLOGGING"))) {
          break;
        }
      }
      continue;
    }
    for (std::string_view w :
         {"DISABLE", "NOVALIDATE", "DEFERRABLE", "INITIALLY", "RELY", "NORELY", "EXCEPTIONS"})
      if (Peek().IsName(w)) Fail(3001);
    return;
  }
}

ConstraintDef Parser::ParseTableConstraint() {
  ConstraintDef k;
  k.pos = Peek().pos;
  if (AcceptName("CONSTRAINT")) k.name = ParseIdentifier(904);
  if (AcceptName("FOREIGN")) {
    ExpectName("KEY", 905);
    k.kind = ConstraintDef::Kind::kForeignKey;
    k.columns = ParseNameList();
    ParseReferences(k);
  } else if (!ParseKeyOrCheck(k, true)) {
    Fail(902);
  }
  ParseConstraintState();
  return k;
}

Statement Parser::ParseDrop() {
  Next();
  if (AcceptName("TABLE")) {
    DropTableStmt s;
    if (!PeekIdentifier()) Fail(903);
    s.table = ParseObjectName(903);
    if (AcceptName("CASCADE")) {
      ExpectName("CONSTRAINTS", 905);
      s.cascade_constraints = true;
    }
    AcceptName("PURGE");
    return s;
  }
  if (AcceptName("USER")) {
    DropUserStmt s;
    s.user = ParseIdentifier(1935);
    s.cascade = AcceptName("CASCADE");
    return s;
  }
  if (AcceptName("INDEX")) {
    DropIndexStmt s;
    s.index = ParseObjectName(953);
    return s;
  }
  if (AcceptName("DIRECTORY")) {
    DropDirectoryStmt s;
    s.name = ParseIdentifier(904);
    return s;
  }
  if (AcceptName("SEQUENCE")) {
    DropSequenceStmt s;
    s.sequence = ParseObjectName(2289);
    return s;
  }
  if (AcceptName("TABLESPACE")) {
    DropTablespaceStmt s;
    s.name = ParseIdentifier(959);
    if (AcceptName("INCLUDING")) {
      ExpectName("CONTENTS", 905);
      s.including_contents = true;
      if (AcceptName("AND")) {
        ExpectName("DATAFILES", 905);
        s.and_datafiles = true;
      } else if (AcceptName("KEEP")) {
        ExpectName("DATAFILES", 905);
      }
    }
    if (AcceptName("CASCADE")) {
      ExpectName("CONSTRAINTS", 905);
      s.cascade_constraints = true;
    }
    return s;
  }
  if (AcceptName("PROFILE")) {
    DropProfileStmt s;
    s.profile = Peek().IsName("DEFAULT") ? TakeName() : ParseIdentifier(922);
    s.cascade = AcceptName("CASCADE");
    return s;
  }
  for (std::string_view w :
       {"VIEW", "ROLE", "SYNONYM", "PUBLIC", "PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER", "TYPE"})
    if (Peek().IsName(w)) Fail(3001);
  Fail(950);
}

TruncateTableStmt Parser::ParseTruncate() {
  Next();
  ExpectName("TABLE", 3290);
  TruncateTableStmt s;
  if (!PeekIdentifier()) Fail(903);
  s.table = ParseObjectName(903);
  if (AcceptName("DROP") || AcceptName("REUSE")) ExpectName("STORAGE", 905);
  return s;
}

Statement Parser::ParseAlter() {
  Next();
  if (AcceptName("SESSION")) {
    ExpectName("SET", 922);
    AlterSessionStmt s;
    if (Peek().kind != TokenKind::kName) Fail(922);
    s.parameter = TakeName();
    ExpectSymbol("=", 922);
    if (AtEnd()) Fail(921);
    s.value_pos = Peek().pos;
    std::string value;
    while (!AtEnd()) {
      const Token& t = Next();
      if (!value.empty()) value += ' ';
      value += t.text;
    }
    s.value = std::move(value);
    return s;
  }
  if (AcceptName("USER")) return ParseUserClauses<AlterUserStmt>(false);
  if (AcceptName("PROFILE")) return ParseProfileLimits<AlterProfileStmt>();
  if (AcceptName("TABLE")) return ParseAlterTable();
  if (Peek().IsName("DATABASE") && Peek(1).IsName("DEFAULT") && Peek(2).IsName("TEMPORARY")) {
    Next();
    Next();
    Next();
    ExpectName("TABLESPACE", 2231);
    AlterDatabaseStmt s;
    s.default_temporary_tablespace = ParseIdentifier(2216);
    return s;
  }
  for (std::string_view w :
       {"TABLESPACE", "INDEX", "SEQUENCE", "SYSTEM", "DATABASE", "ROLE", "VIEW"})
    if (Peek().IsName(w)) Fail(3001);
  Fail(940);
}

AlterTableStmt Parser::ParseAlterTable() {
  AlterTableStmt s;
  s.table = ParseObjectName(903);
  if (AcceptName("ADD")) {
    if (AcceptSymbol("(")) {
      for (;;) {
        if (PeekTableConstraint()) {
          s.add_constraints.push_back(ParseTableConstraint());
        } else {
          s.add.push_back(ParseColumnDef());
        }
        if (!AcceptSymbol(",")) break;
      }
      ExpectSymbol(")", 907);
    } else if (PeekTableConstraint()) {
      s.add_constraints.push_back(ParseTableConstraint());
    } else {
      s.add.push_back(ParseColumnDef());
    }
  } else if (AcceptName("DROP")) {
    if (Peek().IsName("CONSTRAINT") || Peek().IsName("PRIMARY") || Peek().IsName("UNIQUE")) {
      DropConstraintClause k;
      k.pos = Peek().pos;
      if (AcceptName("CONSTRAINT")) {
        k.name = ParseIdentifier(904);
      } else if (AcceptName("PRIMARY")) {
        ExpectName("KEY", 905);
        k.primary_key = true;
      } else {
        Next();
        k.unique = ParseNameList();
      }
      k.cascade = AcceptName("CASCADE");
      s.drop_constraints.push_back(std::move(k));
    } else if (AcceptName("COLUMN")) {
      s.drop.push_back(ParseIdentifier(904));
    } else if (AcceptSymbol("(")) {
      for (;;) {
        s.drop.push_back(ParseIdentifier(904));
        if (!AcceptSymbol(",")) break;
      }
      ExpectSymbol(")", 907);
    } else {
      Fail(3001);
    }
  } else if (AcceptName("MODIFY")) {
    const bool list = AcceptSymbol("(");
    for (;;) {
      ModifyColumn m;
      m.name = ParseIdentifier(904);
      if (!Peek().IsName("NULL") && !Peek().IsName("NOT") && !Peek().IsName("DEFAULT") &&
          !Peek().IsName("CONSTRAINT") && !AtEnd() && !Peek().IsSymbol(",") &&
          !Peek().IsSymbol(")"))
        m.type = ParseDataType(m.type_pos);
      if (Peek().IsName("DEFAULT")) Fail(3001);
      if (AcceptName("CONSTRAINT")) {
        m.constraint_name = ParseIdentifier(904);
        if (!Peek().IsName("NOT")) Fail(3001);
      }
      if (AcceptName("NOT")) {
        ExpectName("NULL", 905);
        m.not_null = true;
      } else if (AcceptName("NULL")) {
        m.not_null = false;
      }
      if (!m.type && !m.not_null) Fail(905);
      s.modify.push_back(std::move(m));
      if (!list || !AcceptSymbol(",")) break;
    }
    if (list) ExpectSymbol(")", 907);
  } else {
    Fail(3001);  // RENAME COLUMN, constraints, storage
  }
  return s;
}

CreateIndexStmt Parser::ParseCreateIndex() {
  CreateIndexStmt s;
  s.unique = AcceptName("UNIQUE");
  ExpectName("INDEX", 901);
  s.index = ParseObjectName(953);
  ExpectName("ON", 969);
  s.table = ParseObjectName(903);
  ExpectSymbol("(", 906);
  for (;;) {
    Name column = ParseIdentifier(904);
    bool descending = AcceptName("DESC");
    if (!descending) AcceptName("ASC");
    s.columns.emplace_back(std::move(column), descending);
    if (!AcceptSymbol(",")) break;
  }
  ExpectSymbol(")", 907);
  while (!AtEnd()) {
    if (AcceptName("TABLESPACE")) {
      ParseIdentifier(959);
    } else if (AcceptName("COMPUTE")) {
      ExpectName("STATISTICS", 905);
    } else if (!(AcceptName("LOGGING") || AcceptName("NOLOGGING") || AcceptName("ONLINE") ||
                 AcceptName("NOPARALLEL") || AcceptName("NOCOMPRESS"))) {
      Fail(922);
    }
  }
  return s;
}

CommentStmt Parser::ParseComment() {
  Next();
  ExpectName("ON", 969);
  CommentStmt s;
  if (AcceptName("COLUMN")) {
    // [owner.]table.column
    Name first = ParseIdentifier(904);
    ExpectSymbol(".", 904);
    Name second = ParseIdentifier(904);
    if (AcceptSymbol(".")) {
      s.table.owner = std::move(first);
      s.table.name = std::move(second);
      s.column = ParseIdentifier(904);
    } else {
      s.table.name = std::move(first);
      s.column = std::move(second);
    }
  } else {
    ExpectName("TABLE", 905);
    s.table = ParseObjectName(903);
  }
  ExpectName("IS", 905);
  if (Peek().kind != TokenKind::kString) Fail(1780);
  s.text = Next().text;
  return s;
}

CreateSequenceStmt Parser::ParseCreateSequence() {
  CreateSequenceStmt s;
  s.sequence = ParseObjectName(2289);
  while (!AtEnd()) {
    if (AcceptName("START")) {
      ExpectName("WITH", 905);
      s.start = ParseWholeNumber();
    } else if (AcceptName("INCREMENT")) {
      ExpectName("BY", 905);
      s.increment = ParseWholeNumber();
    } else if (AcceptName("MINVALUE")) {
      s.min_value = ParseWholeNumber();
    } else if (AcceptName("MAXVALUE")) {
      s.max_value = ParseWholeNumber();
    } else if (AcceptName("CACHE")) {
      s.cache = ParseWholeNumber();
    } else if (AcceptName("CYCLE")) {
      s.cycle = true;
    } else if (AcceptName("NOCACHE")) {
      s.cache = 0;
    } else if (!(AcceptName("NOCYCLE") || AcceptName("NOMINVALUE") || AcceptName("NOMAXVALUE") ||
                 AcceptName("ORDER") || AcceptName("NOORDER"))) {
      Fail(933);
    }
  }
  return s;
}

// The leading digits of a number token as a whole number (a fraction or exponent after them is
// not read); ORA-01426 when they do not fit.
std::int64_t Parser::WholeValue(const Token& t) {
  std::int64_t n = 0;
  const char* first = t.text.data();
  if (std::from_chars(first, first + t.text.size(), n).ec == std::errc::result_out_of_range)
    throw OraError(1426).At(t.pos);
  return n;
}

// A number token as a double, read the same in every locale; nothing when out of range.
std::optional<double> Parser::DecimalValue(const Token& t) {
  double d = 0;
  const char* first = t.text.data();
  if (std::from_chars(first, first + t.text.size(), d).ec != std::errc()) return std::nullopt;
  return d;
}

// A size: a number with an optional K, M or G.
std::int64_t Parser::ParseSize() {
  if (Peek().kind != TokenKind::kNumber) Fail(2180);
  const Token& number = Next();
  std::int64_t n = WholeValue(number);
  if (Peek().kind == TokenKind::kName) {
    const std::string unit = Peek().text;
    if (unit == "K" || unit == "M" || unit == "G") {
      Next();
      const std::int64_t factor = unit == "K"   ? 1024
                                  : unit == "M" ? 1024 * 1024
                                                : 1024 * 1024 * 1024;
      if (n > std::numeric_limits<std::int64_t>::max() / factor)
        throw OraError(1426).At(number.pos);
      n *= factor;
    }
  }
  return n;
}

// A whole number, possibly negative.
std::int64_t Parser::ParseWholeNumber() {
  const bool negative = AcceptSymbol("-");
  if (Peek().kind != TokenKind::kNumber) Fail(1722);
  const std::int64_t n = WholeValue(Next());
  return negative ? -n : n;
}

}  // namespace qm::ocilite
