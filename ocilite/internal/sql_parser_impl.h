// The parser's class, shared by the source files that hold its parts: sql_parser.cpp (statements,
// queries, expressions, DML), sql_parser_ddl.cpp (tables, constraints, indexes, sequences and the
// other schema objects) and sql_parser_accounts.cpp (users, privileges, profiles, tablespaces).
// Each Parse... function reads one construct from the current token on and throws OraError with
// the number Oracle gives and the offset of the token where the construct goes wrong. Nothing but
// sql_parser.h's functions makes a Parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sql_lexer.h"

namespace qm::ocilite {

class Parser {
 public:
  explicit Parser(std::string_view sql) : sql_(sql), tokens_(Tokenize(sql)) {}

  Statement ParseStatement();
  ExprPtr ParseStandaloneExpression();
  ExprPtr ParseStandaloneCondition();

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

  // ---- statements, queries, expressions, DML (sql_parser.cpp) --------------------------------
  static bool IsUnimplementedStatement(const Token& t);
  SelectStmt ParseQuery();
  SelectStmt ParseQueryBlock();
  static bool IsClauseWord(const Token& t);
  SelectItem ParseSelectItem();
  ExprPtr ParseCondition();
  ExprPtr MakeNode(ExprKind kind, int pos);
  ExprPtr MakeSpan(ExprKind kind, int pos, int end);
  ExprPtr Binary(ExprKind kind, std::string op, ExprPtr a, ExprPtr b);
  ExprPtr ParseOr();
  ExprPtr ParseAnd();
  ExprPtr ParseNot();
  ExprPtr ParsePredicate();
  ExprPtr ParseAdditive();
  ExprPtr ParseMultiplicative();
  ExprPtr ParseUnary();
  ExprPtr ParsePrimary();
  ExprPtr ParseCase();
  static bool IsReservedFunctionOrPseudo(std::string_view w);
  ExprPtr ParseNameOrCall();
  ExprPtr ParseCall(ExprPtr name);
  ExprPtr ParseTrim(ExprPtr e);
  TableRef ParseDmlTable();
  InsertStmt ParseInsert();
  UpdateStmt ParseUpdate();
  DeleteStmt ParseDelete();
  CommitStmt ParseCommit();
  RollbackStmt ParseRollback();
  ExprPtr ParseExpr() { return ParseAdditive(); }

  // ---- schema objects (sql_parser_ddl.cpp) ---------------------------------------------------
  Statement ParseCreate();
  CreateTableStmt ParseCreateTable();
  SqlType ParseDataType(int& pos);
  ColumnDef ParseColumnDef();
  bool PeekTableConstraint() const;
  bool ParseKeyOrCheck(ConstraintDef& k, bool column_list = false);
  std::vector<Name> ParseNameList();
  void ParseReferences(ConstraintDef& k);
  void ParseConstraintState();
  ConstraintDef ParseTableConstraint();
  Statement ParseDrop();
  TruncateTableStmt ParseTruncate();
  Statement ParseAlter();
  AlterTableStmt ParseAlterTable();
  CreateIndexStmt ParseCreateIndex();
  CommentStmt ParseComment();
  CreateSequenceStmt ParseCreateSequence();
  static std::int64_t WholeValue(const Token& t);
  static std::optional<double> DecimalValue(const Token& t);
  std::int64_t ParseSize();
  std::int64_t ParseWholeNumber();

  // ---- users, privileges, profiles, tablespaces (sql_parser_accounts.cpp) -------------------
  CreateTablespaceStmt ParseCreateTablespace(bool temporary);
  template <typename Stmt>
  Stmt ParseProfileLimits();
  static bool IsProfileResource(std::string_view word);
  Name ParsePassword();
  template <typename Stmt>
  Stmt ParseUserClauses(bool create);
  GrantStmt ParseGrant();

  std::string_view sql_;
  std::vector<Token> tokens_;
  std::size_t index_ = 0;
  bool allow_default_ = false;
  int depth_ = 0;
};

// Made in sql_parser_accounts.cpp for CREATE and ALTER.
extern template CreateUserStmt Parser::ParseUserClauses<CreateUserStmt>(bool);
extern template AlterUserStmt Parser::ParseUserClauses<AlterUserStmt>(bool);
extern template CreateProfileStmt Parser::ParseProfileLimits<CreateProfileStmt>();
extern template AlterProfileStmt Parser::ParseProfileLimits<AlterProfileStmt>();

}  // namespace qm::ocilite
