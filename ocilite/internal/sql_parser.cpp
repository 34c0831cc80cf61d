#include "ocilite/internal/sql_parser.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iomanip>
#include <iterator>
#include <limits>
#include <locale>
#include <optional>
#include <sstream>
#include <string>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_lexer.h"

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

class Parser {
 public:
  explicit Parser(std::string_view sql) : sql_(sql), tokens_(Tokenize(sql)) {}

  Statement ParseStatement() {
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

  ExprPtr ParseStandaloneExpression() {
    ExprPtr e = ParseExpr();
    ExpectEnd(933);
    return e;
  }

  ExprPtr ParseStandaloneCondition() {
    ExprPtr e = ParseCondition();
    ExpectEnd(933);
    return e;
  }

 private:
  // Expressions and queries nest by recursion, so a statement nested deep enough (parentheses,
  // signs, NOTs, calls, subqueries) would exhaust the stack and end the client's process. Past
  // this depth the statement fails with an internal error instead, as a server stops a parse that
  // outgrows its own limits.
  static constexpr int kMaxNesting = 500;
  class Nesting {
   public:
    explicit Nesting(Parser& parser) : parser_(parser) {
      if (++parser_.depth_ > kMaxNesting) {
        --parser_.depth_;
        throw OraError(600, {"nesting too deep", std::to_string(kMaxNesting)})
            .At(parser_.Peek().pos);
      }
    }
    ~Nesting() { --parser_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  // ---- token helpers -------------------------------------------------------------------------
  const Token& Peek(std::size_t k = 0) const {
    return tokens_[std::min(index_ + k, tokens_.size() - 1)];
  }
  const Token& Next() {
    const Token& t = Peek();
    if (index_ < tokens_.size() - 1) ++index_;
    return t;
  }
  bool AcceptName(std::string_view word) {
    if (!Peek().IsName(word)) return false;
    Next();
    return true;
  }
  bool AcceptSymbol(std::string_view s) {
    if (!Peek().IsSymbol(s)) return false;
    Next();
    return true;
  }
  void ExpectName(std::string_view word, int error) {
    if (!AcceptName(word)) Fail(error);
  }
  void ExpectSymbol(std::string_view s, int error) {
    if (!AcceptSymbol(s)) Fail(error);
  }
  void ExpectEnd(int error) {
    if (Peek().kind != TokenKind::kEnd) Fail(error);
  }
  [[noreturn]] void Fail(int error) { throw OraError(error).At(Peek().pos); }
  [[noreturn]] void FailInvalidIdentifier() { throw OraError(904, {""}).At(Peek().pos); }

  bool AtEnd() const { return Peek().kind == TokenKind::kEnd; }

  // A name usable as an identifier: an unquoted word that is not reserved, or a quoted name.
  bool PeekIdentifier(std::size_t k = 0) const {
    const Token& t = Peek(k);
    return t.kind == TokenKind::kQuotedName ||
           (t.kind == TokenKind::kName && !IsReservedWord(t.text));
  }
  Name TakeName() {
    const Token& t = Next();
    return Name{t.text, t.kind == TokenKind::kQuotedName, t.pos};
  }
  Name ParseIdentifier(int error) {
    if (!PeekIdentifier()) {
      if (error == 904) FailInvalidIdentifier();
      Fail(error);
    }
    return TakeName();
  }
  ObjectName ParseObjectName(int error) {
    ObjectName o;
    o.name = ParseIdentifier(error);
    if (Peek().IsSymbol(".")) {
      Next();
      o.owner = o.name;
      o.name = ParseIdentifier(error);
    }
    return o;
  }

  static bool IsUnimplementedStatement(const Token& t) {
    for (std::string_view w : {"MERGE", "LOCK", "SAVEPOINT", "SET", "BEGIN", "DECLARE", "CALL",
                               "EXPLAIN", "ANALYZE", "AUDIT", "NOAUDIT"})
      if (t.IsName(w)) return true;
    return false;
  }

  // ---- queries -------------------------------------------------------------------------------
  SelectStmt ParseQuery() {
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
  SelectStmt ParseQueryBlock() {
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

  static bool IsClauseWord(const Token& t) {
    for (std::string_view w : {"WHERE", "GROUP", "HAVING", "ORDER", "UNION", "MINUS", "INTERSECT",
                               "CONNECT", "START", "FOR", "FROM", "SET", "VALUES", "SELECT"})
      if (t.IsName(w)) return true;
    return false;
  }

  SelectItem ParseSelectItem() {
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
  ExprPtr ParseCondition() {
    ExprPtr e = ParseOr();
    if (!IsCondition(*e)) Fail(920);
    return e;
  }

  ExprPtr MakeNode(ExprKind kind, int pos) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->pos = pos;
    return e;
  }
  ExprPtr MakeSpan(ExprKind kind, int pos, int end) {
    auto e = MakeNode(kind, pos);
    e->end = end;
    return e;
  }
  ExprPtr Binary(ExprKind kind, std::string op, ExprPtr a, ExprPtr b) {
    auto e = MakeNode(kind, a->pos);
    e->op = std::move(op);
    e->end = b->end;
    e->args.push_back(std::move(a));
    e->args.push_back(std::move(b));
    return e;
  }

  ExprPtr ParseOr() {
    ExprPtr e = ParseAnd();
    while (Peek().IsName("OR")) {
      Next();
      ExprPtr rhs = ParseAnd();
      if (!IsCondition(*e) || !IsCondition(*rhs)) Fail(920);
      e = Binary(ExprKind::kOr, "OR", std::move(e), std::move(rhs));
    }
    return e;
  }

  ExprPtr ParseAnd() {
    ExprPtr e = ParseNot();
    while (Peek().IsName("AND")) {
      Next();
      ExprPtr rhs = ParseNot();
      if (!IsCondition(*e) || !IsCondition(*rhs)) Fail(920);
      e = Binary(ExprKind::kAnd, "AND", std::move(e), std::move(rhs));
    }
    return e;
  }

  ExprPtr ParseNot() {
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

  ExprPtr ParsePredicate() {
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

  ExprPtr ParseAdditive() {
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

  ExprPtr ParseMultiplicative() {
    ExprPtr e = ParseUnary();
    while (Peek().IsSymbol("*") || Peek().IsSymbol("/")) {
      std::string op = Next().text;
      e = Binary(ExprKind::kArithmetic, op, std::move(e), ParseUnary());
    }
    return e;
  }

  ExprPtr ParseUnary() {
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

  ExprPtr ParsePrimary() {
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
  ExprPtr ParseCase() {
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
  static bool IsReservedFunctionOrPseudo(std::string_view w) {
    return w == "SYSDATE" || w == "USER" || w == "UID" || w == "ROWNUM" || w == "ROWID" ||
           w == "LEVEL";
  }

  ExprPtr ParseNameOrCall() {
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

  ExprPtr ParseCall(ExprPtr name) {
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

  ExprPtr ParseTrim(ExprPtr e) {
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

  ExprPtr ParseExpr() { return ParseAdditive(); }

  // ---- DML -----------------------------------------------------------------------------------
  TableRef ParseDmlTable() {
    TableRef ref;
    if (!PeekIdentifier()) Fail(903);
    ref.table = ParseObjectName(903);
    if (PeekIdentifier() && !IsClauseWord(Peek())) ref.alias = TakeName();
    return ref;
  }

  InsertStmt ParseInsert() {
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

  UpdateStmt ParseUpdate() {
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

  DeleteStmt ParseDelete() {
    Next();
    AcceptName("FROM");
    DeleteStmt s;
    s.table = ParseDmlTable();
    if (AcceptName("WHERE")) s.where = ParseCondition();
    return s;
  }

  // ---- DDL -----------------------------------------------------------------------------------
  Statement ParseCreate() {
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

  CreateTableStmt ParseCreateTable() {
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

  SqlType ParseDataType(int& pos) {
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

  ColumnDef ParseColumnDef() {
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

  bool PeekTableConstraint() const {
    for (std::string_view w : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})
      if (Peek().IsName(w)) return true;
    return false;
  }

  // PRIMARY KEY, UNIQUE or CHECK (condition) into `k`, with the column list a table's
  // constraint gives; false when none of them follows.
  bool ParseKeyOrCheck(ConstraintDef& k, bool column_list = false) {
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
  std::vector<Name> ParseNameList() {
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
  void ParseReferences(ConstraintDef& k) {
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
  void ParseConstraintState() {
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

  ConstraintDef ParseTableConstraint() {
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

  Statement ParseDrop() {
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
    for (std::string_view w : {"VIEW", "ROLE", "SYNONYM", "PUBLIC", "PROCEDURE", "FUNCTION",
                               "PACKAGE", "TRIGGER", "TYPE"})
      if (Peek().IsName(w)) Fail(3001);
    Fail(950);
  }

  TruncateTableStmt ParseTruncate() {
    Next();
    ExpectName("TABLE", 3290);
    TruncateTableStmt s;
    if (!PeekIdentifier()) Fail(903);
    s.table = ParseObjectName(903);
    if (AcceptName("DROP") || AcceptName("REUSE")) ExpectName("STORAGE", 905);
    return s;
  }

  CommitStmt ParseCommit() {
    Next();
    AcceptName("WORK");
    if (AcceptName("COMMENT")) {
      if (Peek().kind != TokenKind::kString) Fail(905);
      Next();
    }
    return {};
  }

  RollbackStmt ParseRollback() {
    Next();
    AcceptName("WORK");
    if (Peek().IsName("TO")) Fail(3001);
    return {};
  }

  Statement ParseAlter() {
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

  // The leading digits of a number token as a whole number (a fraction or exponent after them is
  // not read); ORA-01426 when they do not fit.
  static std::int64_t WholeValue(const Token& t) {
    std::int64_t n = 0;
    const char* first = t.text.data();
    if (std::from_chars(first, first + t.text.size(), n).ec == std::errc::result_out_of_range)
      throw OraError(1426).At(t.pos);
    return n;
  }

  // A number token as a double, read the same in every locale; nothing when out of range.
  static std::optional<double> DecimalValue(const Token& t) {
    double d = 0;
    const char* first = t.text.data();
    if (std::from_chars(first, first + t.text.size(), d).ec != std::errc()) return std::nullopt;
    return d;
  }

  // A size: a number with an optional K, M or G.
  std::int64_t ParseSize() {
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

  AlterTableStmt ParseAlterTable() {
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

  CreateIndexStmt ParseCreateIndex() {
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

  CommentStmt ParseComment() {
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

  // A whole number, possibly negative.
  std::int64_t ParseWholeNumber() {
    const bool negative = AcceptSymbol("-");
    if (Peek().kind != TokenKind::kNumber) Fail(1722);
    const std::int64_t n = WholeValue(Next());
    return negative ? -n : n;
  }

  CreateSequenceStmt ParseCreateSequence() {
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

  CreateTablespaceStmt ParseCreateTablespace(bool temporary) {
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
  Stmt ParseProfileLimits() {
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

  static bool IsProfileResource(std::string_view word) {
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

  Name ParsePassword() {
    const Token& t = Peek();
    if (t.kind == TokenKind::kQuotedName || (t.kind == TokenKind::kName && !IsReservedWord(t.text)))
      return TakeName();
    Fail(988);
  }

  template <typename Stmt>
  Stmt ParseUserClauses(bool create) {
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

  GrantStmt ParseGrant() {
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

  std::string_view sql_;
  std::vector<Token> tokens_;
  std::size_t index_ = 0;
  bool allow_default_ = false;
  int depth_ = 0;
};

}  // namespace

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
  std::string word;
  while (i < sql.size() && ((sql[i] >= 'A' && sql[i] <= 'Z') || (sql[i] >= 'a' && sql[i] <= 'z')))
    word += static_cast<char>(sql[i] >= 'a' ? sql[i] - 32 : sql[i]), ++i;
  static constexpr std::pair<std::string_view, int> kTypes[] = {
      {"SELECT", 1}, {"WITH", 1}, {"UPDATE", 2}, {"DELETE", 3}, {"INSERT", 4},
      {"CREATE", 5}, {"DROP", 6}, {"ALTER", 7},  {"BEGIN", 8},  {"DECLARE", 9},
  };
  for (const auto& [w, type] : kTypes)
    if (word == w) return type;
  return 0;
}

}  // namespace qm::ocilite
