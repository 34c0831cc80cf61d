#include "ocilite/internal/sql_parser.h"

#include <string>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_lexer.h"
#include "ocilite/internal/sql_parser_impl.h"

namespace qm::ocilite {
namespace {

bool IsCondition(const Expr& e) {
  switch (e.kind) {
    case ExprKind::kCompare:
    case ExprKind::kAnd:
    case ExprKind::kOr:
    case ExprKind::kNot:
    case ExprKind::kIsNull:
    case ExprKind::kLike:
    case ExprKind::kIn:
    case ExprKind::kBetween:
    case ExprKind::kExists:
      return true;
    default:
      return false;
  }
}

}  // namespace

Statement Parser::ParseStatement() {
  const Token& t = Peek();
  Statement result = [&]() -> Statement {
    if (t.IsName("SELECT") || t.IsSymbol("(")) return ParseQuery();
    if (t.IsName("INSERT")) return ParseInsert();
    if (t.IsName("UPDATE")) return ParseUpdate();
    if (t.IsName("DELETE")) return ParseDelete();
    if (t.IsName("CREATE")) return ParseCreate();
    if (t.IsName("DROP")) return ParseDrop();
    if (t.IsName("TRUNCATE")) return ParseTruncate();
    if (t.IsName("COMMIT")) return ParseCommit();
    if (t.IsName("ROLLBACK")) return ParseRollback();
    if (t.IsName("ALTER")) return ParseAlter();
    if (t.IsName("GRANT") || t.IsName("REVOKE")) return ParseGrant();
    if (t.IsName("RENAME")) {
      Next();
      RenameStmt s;
      s.from = ParseIdentifier(903);
      ExpectName("TO", 946);
      s.to = ParseIdentifier(903);
      return s;
    }
    if (t.IsName("COMMENT")) return ParseComment();
    if (IsUnimplementedStatement(t)) throw OraError(3001).At(t.pos);
    throw OraError(900).At(t.pos);
  }();
  ExpectEnd(933);
  return result;
}

ExprPtr Parser::ParseStandaloneExpression() {
  ExprPtr e = ParseExpr();
  ExpectEnd(933);
  return e;
}

ExprPtr Parser::ParseStandaloneCondition() {
  ExprPtr e = ParseCondition();
  ExpectEnd(933);
  return e;
}

bool Parser::IsUnimplementedStatement(const Token& t) {
  for (std::string_view w : {"MERGE", "LOCK", "SAVEPOINT", "SET", "BEGIN", "DECLARE", "CALL",
                             "EXPLAIN", "ANALYZE", "AUDIT", "NOAUDIT"})
    if (t.IsName(w)) return true;
  return false;
}

// ---- queries -------------------------------------------------------------------------------
SelectStmt Parser::ParseQuery() {
  const Nesting nesting(*this);
  SelectStmt s = ParseQueryBlock();
  for (;;) {
    std::string op;
    if (AcceptName("UNION")) {
      op = AcceptName("ALL") ? "UNION ALL" : "UNION";
    } else if (AcceptName("MINUS")) {
      op = "MINUS";
    } else if (AcceptName("INTERSECT")) {
      op = "INTERSECT";
    } else {
      break;
    }
    s.compound.push_back({op, std::make_unique<SelectStmt>(ParseQueryBlock())});
  }
  if (Peek().IsName("ORDER")) {
    Next();
    ExpectName("BY", 924);
    for (;;) {
      OrderItem item;
      item.expr = ParseExpr();
      if (AcceptName("DESC")) {
        item.descending = true;
      } else {
        AcceptName("ASC");
      }
      if (AcceptName("NULLS")) {
        if (AcceptName("FIRST")) {
          item.nulls_first = true;
        } else {
          ExpectName("LAST", 905);
          item.nulls_first = false;
        }
      }
      s.order_by.push_back(std::move(item));
      if (!AcceptSymbol(",")) break;
    }
  }
  if (Peek().IsName("CONNECT") || Peek().IsName("START") || Peek().IsName("FOR")) Fail(3001);
  return s;
}

// SELECT ... [HAVING ...], or a whole query in parentheses.
SelectStmt Parser::ParseQueryBlock() {
  if (AcceptSymbol("(")) {
    SelectStmt inner = ParseQuery();
    ExpectSymbol(")", 907);
    return inner;
  }
  ExpectName("SELECT", 928);
  SelectStmt s;
  if (AcceptName("DISTINCT") || AcceptName("UNIQUE")) {
    s.distinct = true;
  } else {
    AcceptName("ALL");
  }
  for (;;) {
    s.items.push_back(ParseSelectItem());
    if (!AcceptSymbol(",")) break;
  }
  if (!AcceptName("FROM")) Fail(923);
  for (;;) {
    TableRef ref;
    if (Peek().IsSymbol("(")) {
      ref.table.name.pos = Next().pos;
      ref.query = std::make_shared<SelectStmt>(ParseQuery());
      ExpectSymbol(")", 907);
    } else {
      if (!PeekIdentifier()) Fail(903);
      ref.table = ParseObjectName(903);
    }
    if (PeekIdentifier() && !IsClauseWord(Peek())) ref.alias = TakeName();
    s.from.push_back(std::move(ref));
    if (!AcceptSymbol(",")) break;
  }
  if (AcceptName("WHERE")) s.where = ParseCondition();
  if (Peek().IsName("GROUP")) {
    Next();
    ExpectName("BY", 924);
    for (;;) {
      s.group_by.push_back(ParseExpr());
      if (!AcceptSymbol(",")) break;
    }
  }
  if (AcceptName("HAVING")) s.having = ParseCondition();
  return s;
}

bool Parser::IsClauseWord(const Token& t) {
  for (std::string_view w : {"WHERE", "GROUP", "HAVING", "ORDER", "UNION", "MINUS", "INTERSECT",
                             "CONNECT", "START", "FOR", "FROM", "SET", "VALUES", "SELECT"})
    if (t.IsName(w)) return true;
  return false;
}

SelectItem Parser::ParseSelectItem() {
  SelectItem item;
  if (Peek().IsSymbol("*")) {
    const Token& t = Next();
    item.expr = MakeSpan(ExprKind::kStar, t.pos, t.end);
    return item;
  }
  // table.* or owner.table.*
  if (PeekIdentifier() && Peek(1).IsSymbol(".") &&
      (Peek(2).IsSymbol("*") || (Peek(3).IsSymbol(".") && Peek(4).IsSymbol("*")))) {
    auto star = MakeNode(ExprKind::kStar, Peek().pos);
    star->path.push_back(TakeName());
    Next();
    if (!Peek().IsSymbol("*")) {
      star->path.push_back(TakeName());
      Next();
    }
    star->end = Next().end;
    item.expr = std::move(star);
    return item;
  }
  item.expr = ParseExpr();
  if (AcceptName("AS")) {
    if (!PeekIdentifier()) Fail(923);
    item.alias = TakeName();
  } else if (PeekIdentifier() && !Peek().IsName("FROM")) {
    item.alias = TakeName();
  }
  if (!Peek().IsSymbol(",") && !Peek().IsName("FROM")) Fail(923);
  return item;
}

// ---- expressions ---------------------------------------------------------------------------
ExprPtr Parser::ParseCondition() {
  ExprPtr e = ParseOr();
  if (!IsCondition(*e)) Fail(920);
  return e;
}

ExprPtr Parser::MakeNode(ExprKind kind, int pos) {
  auto e = std::make_unique<Expr>();
  e->kind = kind;
  e->pos = pos;
  return e;
}

ExprPtr Parser::MakeSpan(ExprKind kind, int pos, int end) {
  auto e = MakeNode(kind, pos);
  e->end = end;
  return e;
}

ExprPtr Parser::Binary(ExprKind kind, std::string op, ExprPtr a, ExprPtr b) {
  auto e = MakeNode(kind, a->pos);
  e->op = std::move(op);
  e->end = b->end;
  e->args.push_back(std::move(a));
  e->args.push_back(std::move(b));
  return e;
}

ExprPtr Parser::ParseOr() {
  ExprPtr e = ParseAnd();
  while (Peek().IsName("OR")) {
    Next();
    ExprPtr rhs = ParseAnd();
    if (!IsCondition(*e) || !IsCondition(*rhs)) Fail(920);
    e = Binary(ExprKind::kOr, "OR", std::move(e), std::move(rhs));
  }
  return e;
}

ExprPtr Parser::ParseAnd() {
  ExprPtr e = ParseNot();
  while (Peek().IsName("AND")) {
    Next();
    ExprPtr rhs = ParseNot();
    if (!IsCondition(*e) || !IsCondition(*rhs)) Fail(920);
    e = Binary(ExprKind::kAnd, "AND", std::move(e), std::move(rhs));
  }
  return e;
}

ExprPtr Parser::ParseNot() {
  if (Peek().IsName("NOT")) {
    const Nesting nesting(*this);
    const int pos = Next().pos;
    ExprPtr inner = ParseNot();
    if (!IsCondition(*inner)) Fail(920);
    auto e = MakeNode(ExprKind::kNot, pos);
    e->end = inner->end;
    e->args.push_back(std::move(inner));
    return e;
  }
  return ParsePredicate();
}

ExprPtr Parser::ParsePredicate() {
  ExprPtr lhs = ParseAdditive();
  const Token& t = Peek();
  if (t.kind == TokenKind::kSymbol &&
      (t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == ">" ||
       t.text == "<=" || t.text == ">=")) {
    std::string op = Next().text;
    if (op == "!=") op = "<>";
    // Quantified comparisons (= ANY (...)) are left to a later release.
    if (Peek().IsName("ANY") || Peek().IsName("SOME") || Peek().IsName("ALL")) Fail(3001);
    return Binary(ExprKind::kCompare, op, std::move(lhs), ParseAdditive());
  }
  if (t.IsName("IS")) {
    Next();
    auto e = MakeNode(ExprKind::kIsNull, lhs->pos);
    e->negated = AcceptName("NOT");
    if (!Peek().IsName("NULL")) Fail(908);
    e->end = Next().end;
    e->args.push_back(std::move(lhs));
    return e;
  }
  bool negated = false;
  if (t.IsName("NOT") &&
      (Peek(1).IsName("LIKE") || Peek(1).IsName("IN") || Peek(1).IsName("BETWEEN"))) {
    Next();
    negated = true;
  }
  if (AcceptName("LIKE")) {
    ExprPtr e = Binary(ExprKind::kLike, "LIKE", std::move(lhs), ParseAdditive());
    if (AcceptName("ESCAPE")) {
      e->args.push_back(ParseAdditive());
      e->end = e->args.back()->end;
    }
    e->negated = negated;
    return e;
  }
  if (AcceptName("IN")) {
    auto e = MakeNode(ExprKind::kIn, lhs->pos);
    e->negated = negated;
    e->args.push_back(std::move(lhs));
    ExpectSymbol("(", 906);
    if (Peek().IsName("SELECT")) {
      e->query = std::make_shared<SelectStmt>(ParseQuery());
    } else {
      for (;;) {
        e->args.push_back(ParseExpr());
        if (!AcceptSymbol(",")) break;
      }
    }
    e->end = Peek().end;
    ExpectSymbol(")", 907);
    return e;
  }
  if (AcceptName("BETWEEN")) {
    auto e = MakeNode(ExprKind::kBetween, lhs->pos);
    e->negated = negated;
    e->args.push_back(std::move(lhs));
    e->args.push_back(ParseAdditive());
    ExpectName("AND", 905);
    e->args.push_back(ParseAdditive());
    e->end = e->args.back()->end;
    return e;
  }
  return lhs;
}

ExprPtr Parser::ParseAdditive() {
  ExprPtr e = ParseMultiplicative();
  for (;;) {
    const Token& t = Peek();
    if (t.IsSymbol("+") || t.IsSymbol("-")) {
      std::string op = Next().text;
      e = Binary(ExprKind::kArithmetic, op, std::move(e), ParseMultiplicative());
    } else if (t.IsSymbol("||")) {
      Next();
      e = Binary(ExprKind::kConcat, "||", std::move(e), ParseMultiplicative());
    } else {
      return e;
    }
  }
}

ExprPtr Parser::ParseMultiplicative() {
  ExprPtr e = ParseUnary();
  while (Peek().IsSymbol("*") || Peek().IsSymbol("/")) {
    std::string op = Next().text;
    e = Binary(ExprKind::kArithmetic, op, std::move(e), ParseUnary());
  }
  return e;
}

ExprPtr Parser::ParseUnary() {
  const Nesting nesting(*this);
  if (Peek().IsSymbol("-") || Peek().IsSymbol("+")) {
    const Token& t = Next();
    const bool minus = t.text == "-";
    ExprPtr inner = ParseUnary();
    if (!minus) return inner;
    auto e = MakeNode(ExprKind::kNegate, t.pos);
    e->end = inner->end;
    e->args.push_back(std::move(inner));
    return e;
  }
  return ParsePrimary();
}

ExprPtr Parser::ParsePrimary() {
  const Token& t = Peek();
  switch (t.kind) {
    case TokenKind::kNumber: {
      auto e = MakeNode(ExprKind::kNumber, t.pos);
      e->text = t.text;
      e->end = Next().end;
      return e;
    }
    case TokenKind::kString: {
      auto e = MakeNode(ExprKind::kString, t.pos);
      e->text = t.text;
      e->end = Next().end;
      return e;
    }
    case TokenKind::kBind: {
      auto e = MakeNode(ExprKind::kBind, t.pos);
      e->text = t.text;
      e->end = Next().end;
      return e;
    }
    case TokenKind::kSymbol:
      if (t.text == "(") {
        Next();
        if (Peek().IsName("SELECT")) {
          auto e = MakeNode(ExprKind::kSubquery, t.pos);
          e->query = std::make_shared<SelectStmt>(ParseQuery());
          e->end = Peek().end;
          ExpectSymbol(")", 907);
          return e;
        }
        ExprPtr inner = ParseOr();
        ExpectSymbol(")", 907);
        return inner;
      }
      break;
    case TokenKind::kName:
      if (t.text == "NULL") {
        auto e = MakeNode(ExprKind::kNull, t.pos);
        e->end = Next().end;
        return e;
      }
      if (t.text == "DEFAULT" && allow_default_) {
        auto e = MakeNode(ExprKind::kDefault, t.pos);
        e->end = Next().end;
        return e;
      }
      if (t.text == "CASE") return ParseCase();
      if (t.text == "EXISTS") {
        auto e = MakeNode(ExprKind::kExists, t.pos);
        Next();
        ExpectSymbol("(", 906);
        e->query = std::make_shared<SelectStmt>(ParseQuery());
        e->end = Peek().end;
        ExpectSymbol(")", 907);
        return e;
      }
      if (t.text == "PRIOR") Fail(3001);
      if (IsReservedWord(t.text) && !IsReservedFunctionOrPseudo(t.text)) break;
      return ParseNameOrCall();
    case TokenKind::kQuotedName:
      return ParseNameOrCall();
    case TokenKind::kEnd:
      break;
  }
  Fail(936);
}

// CASE [operand] WHEN ... THEN ... [ELSE ...] END, kept as the function "CASE": the operand
// first when there is one (`negated` set), then WHEN/THEN pairs, then the ELSE value (`text`
// "ELSE").
ExprPtr Parser::ParseCase() {
  auto e = MakeNode(ExprKind::kFunction, Peek().pos);
  e->op = "CASE";
  Next();
  if (!Peek().IsName("WHEN")) {
    e->negated = true;
    e->args.push_back(ParseExpr());
  }
  if (!Peek().IsName("WHEN")) Fail(905);
  while (AcceptName("WHEN")) {
    e->args.push_back(e->negated ? ParseExpr() : ParseCondition());
    ExpectName("THEN", 905);
    e->args.push_back(ParseExpr());
  }
  if (AcceptName("ELSE")) {
    e->args.push_back(ParseExpr());
    e->text = "ELSE";
  }
  e->end = Peek().end;
  ExpectName("END", 905);
  return e;
}

// Reserved words that still stand in expressions.
bool Parser::IsReservedFunctionOrPseudo(std::string_view w) {
  return w == "SYSDATE" || w == "USER" || w == "UID" || w == "ROWNUM" || w == "ROWID" ||
         w == "LEVEL";
}

ExprPtr Parser::ParseNameOrCall() {
  const Token& first = Peek();
  auto e = MakeNode(ExprKind::kColumn, first.pos);
  e->path.push_back(TakeName());
  e->end = first.end;
  while (Peek().IsSymbol(".") && e->path.size() < 3) {
    Next();
    if (!PeekIdentifier() &&
        !(Peek().kind == TokenKind::kName && IsReservedFunctionOrPseudo(Peek().text)))
      FailInvalidIdentifier();
    e->end = Peek().end;
    e->path.push_back(TakeName());
  }
  if (Peek().IsSymbol("(") && e->path.size() == 1 && !e->path[0].quoted) {
    return ParseCall(std::move(e));
  }
  return e;
}

ExprPtr Parser::ParseCall(ExprPtr name) {
  auto e = MakeNode(ExprKind::kFunction, name->pos);
  e->op = name->path[0].text;
  Next();  // (
  if (e->op == "TRIM") return ParseTrim(std::move(e));
  if (AcceptSymbol(")")) {
    e->end = tokens_[index_ - 1].end;
    return e;
  }
  if (AcceptName("DISTINCT")) {
    e->distinct = true;
  } else {
    AcceptName("ALL");
  }
  for (;;) {
    if (Peek().IsSymbol("*") && e->op == "COUNT" && e->args.empty()) {
      const Token& t = Next();
      e->args.push_back(MakeSpan(ExprKind::kStar, t.pos, t.end));
    } else {
      e->args.push_back(ParseExpr());
    }
    if (!AcceptSymbol(",")) break;
  }
  e->end = Peek().end;
  ExpectSymbol(")", 907);
  return e;
}

ExprPtr Parser::ParseTrim(ExprPtr e) {
  e->kind = ExprKind::kTrim;
  e->op = "B";
  if (AcceptName("LEADING")) {
    e->op = "L";
  } else if (AcceptName("TRAILING")) {
    e->op = "T";
  } else {
    AcceptName("BOTH");
  }
  ExprPtr first;
  if (!Peek().IsName("FROM")) first = ParseExpr();
  if (AcceptName("FROM")) {
    e->args.push_back(ParseExpr());                  // the text
    if (first) e->args.push_back(std::move(first));  // the character to trim
  } else {
    if (!first) Fail(936);
    e->args.push_back(std::move(first));
  }
  e->end = Peek().end;
  ExpectSymbol(")", 907);
  return e;
}

// ---- DML -----------------------------------------------------------------------------------
TableRef Parser::ParseDmlTable() {
  TableRef ref;
  if (!PeekIdentifier()) Fail(903);
  ref.table = ParseObjectName(903);
  if (PeekIdentifier() && !IsClauseWord(Peek())) ref.alias = TakeName();
  return ref;
}

InsertStmt Parser::ParseInsert() {
  Next();
  ExpectName("INTO", 925);
  InsertStmt s;
  s.table = ParseDmlTable();
  if (Peek().IsSymbol("(") && !Peek(1).IsName("SELECT")) {
    Next();
    for (;;) {
      Name column = ParseIdentifier(904);
      // t.column names the table's own column; the qualifier is dropped.
      if (AcceptSymbol(".")) column = ParseIdentifier(904);
      s.columns.push_back(std::move(column));
      if (!AcceptSymbol(",")) break;
    }
    if (!AcceptSymbol(")")) Fail(PeekIdentifier() ? 917 : 907);
  }
  if (Peek().IsName("VALUES")) {
    s.values_pos = Next().pos;
    ExpectSymbol("(", 906);
    allow_default_ = true;
    for (;;) {
      s.values.push_back(ParseExpr());
      if (!AcceptSymbol(",")) break;
    }
    allow_default_ = false;
    if (!AcceptSymbol(")")) Fail(AtEnd() ? 907 : 917);
  } else if (Peek().IsName("SELECT") || Peek().IsSymbol("(")) {
    s.query = std::make_unique<SelectStmt>(ParseQuery());
  } else {
    Fail(926);
  }
  return s;
}

UpdateStmt Parser::ParseUpdate() {
  Next();
  UpdateStmt s;
  s.table = ParseDmlTable();
  ExpectName("SET", 971);
  for (;;) {
    Name column = ParseIdentifier(904);
    if (AcceptSymbol(".")) column = ParseIdentifier(904);
    ExpectSymbol("=", 927);
    allow_default_ = true;
    ExprPtr value = ParseExpr();
    allow_default_ = false;
    s.sets.emplace_back(std::move(column), std::move(value));
    if (!AcceptSymbol(",")) break;
  }
  if (AcceptName("WHERE")) s.where = ParseCondition();
  return s;
}

DeleteStmt Parser::ParseDelete() {
  Next();
  AcceptName("FROM");
  DeleteStmt s;
  s.table = ParseDmlTable();
  if (AcceptName("WHERE")) s.where = ParseCondition();
  return s;
}

CommitStmt Parser::ParseCommit() {
  Next();
  AcceptName("WORK");
  if (AcceptName("COMMENT")) {
    if (Peek().kind != TokenKind::kString) Fail(905);
    Next();
  }
  return {};
}

RollbackStmt Parser::ParseRollback() {
  Next();
  AcceptName("WORK");
  if (Peek().IsName("TO")) Fail(3001);
  return {};
}

Statement ParseStatement(std::string_view sql) {
  return Parser(sql).ParseStatement();
}

ExprPtr ParseExpression(std::string_view sql) {
  return Parser(sql).ParseStandaloneExpression();
}

ExprPtr ParseCondition(std::string_view sql) {
  return Parser(sql).ParseStandaloneCondition();
}

int PeekStatementType(std::string_view sql) {
  std::size_t i = 0;
  for (;;) {
    while (i < sql.size() &&
           (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\n' || sql[i] == '\r' || sql[i] == '('))
      ++i;
    if (sql.substr(i, 2) == "--") {
      while (i < sql.size() && sql[i] != '\n') ++i;
    } else if (sql.substr(i, 2) == "/*") {
      const auto close = sql.find("*/", i + 2);
      i = close == std::string_view::npos ? sql.size() : close + 2;
    } else {
      break;
    }
  }
  // The first word in capitals; none of the words below is longer than seven letters.
  char upper[8];
  std::size_t length = 0;
  for (; i < sql.size() && ((sql[i] >= 'A' && sql[i] <= 'Z') || (sql[i] >= 'a' && sql[i] <= 'z'));
       ++i) {
    if (length == sizeof upper) return 0;
    upper[length++] = static_cast<char>(sql[i] >= 'a' ? sql[i] - 32 : sql[i]);
  }
  const std::string_view word(upper, length);
  static constexpr std::pair<std::string_view, int> kTypes[] = {
      {"SELECT", 1}, {"WITH", 1}, {"UPDATE", 2}, {"DELETE", 3}, {"INSERT", 4},
      {"CREATE", 5}, {"DROP", 6}, {"ALTER", 7},  {"BEGIN", 8},  {"DECLARE", 9},
  };
  for (const auto& [w, type] : kTypes)
    if (word == w) return type;
  return 0;
}

}  // namespace qm::ocilite
