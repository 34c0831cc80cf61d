#pragma once
// Small helpers shared by the session suites: logon properties, a one-value query, and the checks
// that a call raised the client's error or a general one with an exact text.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "oracle/e_oracle_error.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"

namespace qm::testing {

inline void SetLogon(TOracleSession& s, const std::string& user, const std::string& password,
                     const std::string& database = "orcl") {
  s.SetLogonUsername(user);
  s.SetLogonPassword(password);
  s.SetLogonDatabase(database);
}

// The first column of the first row of a query.
inline std::string QueryValue(TOracleSession& session, const std::string& sql) {
  TOracleQuery query;
  query.SetSession(&session);
  query.SQL().Add(sql);
  query.Execute();
  return query.Eof() ? "<no row>" : query.FieldAsString(0);
}

template <typename F>
void ExpectOracleError(F&& f, int code, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no EOracleError";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), code);
    EXPECT_EQ(e.what(), message);
  }
}

template <typename F>
void ExpectGeneralError(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no error";
  } catch (const EOracleError& e) {
    ADD_FAILURE() << "EOracleError " << e.what();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(e.what(), message);
  }
}

}  // namespace qm::testing
