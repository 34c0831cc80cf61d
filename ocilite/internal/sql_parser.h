// The engine's parser for its Oracle SQL dialect. ParseStatement reads one statement (without a
// terminating ";") and throws OraError with the number Oracle gives for the fault and the byte
// offset of the token where it was found.
#pragma once

#include <string_view>

#include "ocilite/internal/sql_ast.h"

namespace qm::ocilite {

Statement ParseStatement(std::string_view sql);

// One expression, as a column default is stored; throws like ParseStatement.
ExprPtr ParseExpression(std::string_view sql);
// One condition, as a CHECK constraint is stored; throws like ParseStatement.
ExprPtr ParseCondition(std::string_view sql);

// The statement type a client reads right after preparing (OCI_STMT_SELECT = 1 ... DECLARE = 9,
// 0 for the others), judged from the first word without parsing the statement.
int PeekStatementType(std::string_view sql);

}  // namespace qm::ocilite
