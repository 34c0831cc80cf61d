// Reading values piece by piece by polling: a dynamic define without a callback stops the fetch
// with OCI_NEED_DATA, OCIStmtGetPieceInfo says which define and row wait, OCIStmtSetPieceInfo gives
// the buffer, and the next fetch fills it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using PiecewiseFetch = EngineTest;

OCIStmt* Prepare(OciConnection& c, const std::string& sql) {
  void* stmt = nullptr;
  EXPECT_EQ(Library().HandleAlloc(c.env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
  EXPECT_EQ(Library().StmtPrepare(static_cast<OCIStmt*>(stmt), c.err,
                                  reinterpret_cast<const OraText*>(sql.data()),
                                  static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
            OCI_SUCCESS);
  return static_cast<OCIStmt*>(stmt);
}

struct Polled {
  std::vector<std::string> values;  // per row of the fetch
  std::vector<sb2> indicators;
  std::vector<std::pair<ub4, ub1>> asked;  // (row, piece) as OCIStmtGetPieceInfo said
  sword last = OCI_SUCCESS;
};

// The polling loop of an application: one buffer of `piece_size` bytes for every piece.
Polled PollFetch(OciConnection& c, OCIStmt* stmt, ub4 rows, ub4 piece_size, OCIDefine* define) {
  auto get = reinterpret_cast<OCIStmtGetPieceInfo_t>(Library().Symbol("OCIStmtGetPieceInfo"));
  auto set = reinterpret_cast<OCIStmtSetPieceInfo_t>(Library().Symbol("OCIStmtSetPieceInfo"));
  Polled p;
  p.values.resize(rows);
  p.indicators.assign(rows, 99);
  std::vector<char> buffer(piece_size);
  sword rc = Library().StmtFetch(stmt, c.err, rows, OCI_FETCH_NEXT, OCI_DEFAULT);
  while (rc == OCI_NEED_DATA) {
    void* handle = nullptr;
    ub4 type = 0, iteration = 0, index = 0;
    ub1 in_out = 0, piece = 0;
    EXPECT_EQ(get(stmt, c.err, &handle, &type, &in_out, &iteration, &index, &piece), OCI_SUCCESS);
    EXPECT_EQ(handle, define);
    EXPECT_EQ(type, OCI_HTYPE_DEFINE);
    EXPECT_EQ(in_out, OCI_PARAM_OUT);
    p.asked.emplace_back(iteration, piece);
    ub4 length = piece_size;
    sb2 ind = 0;
    ub2 rcode = 0;
    EXPECT_EQ(set(handle, type, c.err, buffer.data(), &length, piece, &ind, &rcode), OCI_SUCCESS);
    rc = Library().StmtFetch(stmt, c.err, rows, OCI_FETCH_NEXT, OCI_DEFAULT);
    p.values.at(iteration).append(buffer.data(), length);
    p.indicators.at(iteration) = ind;
  }
  p.last = rc;
  return p;
}

TEST_F(PiecewiseFetch, DynamicDefinesWithoutACallbackAreReadByPolling) {
  OciConnection c("system", "manager");
  std::string text;
  for (int i = 0; text.size() < 2500; ++i) text += "line " + std::to_string(i) + "\n";
  ASSERT_EQ(c.Exec("create table T (N number, L long, S varchar2(10))"), "");
  ASSERT_EQ(c.Exec("insert into T values (1, '" + text + "', 'one')"), "");
  ASSERT_EQ(c.Exec("insert into T values (2, null, 'two')"), "");
  ASSERT_EQ(c.Exec("insert into T values (3, 'abc', 'three')"), "");
  const std::size_t full_pieces = text.size() / 1000;  // the last piece is shorter

  // A define in OCI_DYNAMIC_FETCH mode is polled, and so is one whose OCIDefineDynamic gave no
  // callback.
  for (const bool define_dynamic : {false, true}) {
    SCOPED_TRACE(define_dynamic ? "OCIDefineDynamic without a callback" : "mode alone");
    OCIStmt* stmt = Prepare(c, "select N, L, S from T order by N");
    ASSERT_EQ(Library().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    sb4 numbers[3] = {};
    char texts[3][10] = {};
    ub2 lengths[3] = {};
    sb2 long_ind[3] = {7, 7, 7};
    OCIDefine* def = nullptr;
    OCIDefine* long_def = nullptr;
    ASSERT_EQ(Library().DefineByPos(stmt, &def, c.err, 1, numbers, 4, SQLT_INT, nullptr, nullptr,
                                    nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(Library().DefineByPos(stmt, &long_def, c.err, 2, nullptr, 1 << 20, SQLT_LNG,
                                    long_ind, nullptr, nullptr, OCI_DYNAMIC_FETCH),
              OCI_SUCCESS);
    if (define_dynamic) {
      ASSERT_EQ(Library().DefineDynamic(long_def, c.err, nullptr, nullptr), OCI_SUCCESS);
    }
    ASSERT_EQ(Library().DefineByPos(stmt, &def, c.err, 3, texts, 10, SQLT_CHR, nullptr, lengths,
                                    nullptr, OCI_DEFAULT),
              OCI_SUCCESS);

    const Polled p = PollFetch(c, stmt, 3, 1000, long_def);
    EXPECT_EQ(p.last, OCI_SUCCESS) << c.LastError();
    // Every value of the column is asked for, the NULL too: FIRST, then NEXT for its later
    // pieces.
    std::vector<std::pair<ub4, ub1>> asked{{0, OCI_FIRST_PIECE}};
    for (std::size_t i = 0; i < full_pieces; ++i) asked.emplace_back(0, OCI_NEXT_PIECE);
    asked.emplace_back(1, OCI_FIRST_PIECE);
    asked.emplace_back(2, OCI_FIRST_PIECE);
    EXPECT_EQ(p.asked, asked);
    EXPECT_EQ(p.values, (std::vector<std::string>{text, "", "abc"}));
    EXPECT_EQ(p.indicators, (std::vector<sb2>{0, -1, 0}));
    EXPECT_EQ(std::vector<sb2>(long_ind, long_ind + 3), (std::vector<sb2>{0, -1, 0}));
    // The columns around it are stored as usual, for every row.
    EXPECT_EQ(std::vector<sb4>(numbers, numbers + 3), (std::vector<sb4>{1, 2, 3}));
    EXPECT_EQ(std::string(texts[2], lengths[2]), "three");
    EXPECT_EQ(Library().StmtFetch(stmt, c.err, 3, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NO_DATA);
    Library().HandleFree(stmt, OCI_HTYPE_STMT);
  }
}

TEST_F(PiecewiseFetch, PiecesOutOfTurnAreRefused) {
  OciConnection c("system", "manager");
  auto get = reinterpret_cast<OCIStmtGetPieceInfo_t>(Library().Symbol("OCIStmtGetPieceInfo"));
  auto set = reinterpret_cast<OCIStmtSetPieceInfo_t>(Library().Symbol("OCIStmtSetPieceInfo"));
  ASSERT_EQ(c.Exec("create table T (L long)"), "");
  ASSERT_EQ(c.Exec("insert into T values ('abcdef')"), "");
  OCIStmt* stmt = Prepare(c, "select L from T");
  ASSERT_EQ(Library().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  OCIDefine* def = nullptr;
  ASSERT_EQ(Library().DefineByPos(stmt, &def, c.err, 1, nullptr, 100, SQLT_LNG, nullptr, nullptr,
                                  nullptr, OCI_DYNAMIC_FETCH),
            OCI_SUCCESS);
  void* handle = nullptr;
  ub4 type = 0, iteration = 0, index = 0;
  ub1 in_out = 0, piece = 0;
  // Nothing waits before the fetch.
  EXPECT_EQ(get(stmt, c.err, &handle, &type, &in_out, &iteration, &index, &piece), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01002: fetch out of sequence");
  ASSERT_EQ(Library().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NEED_DATA);
  // A fetch before the buffer is given.
  EXPECT_EQ(Library().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-03130: the buffer for the next piece to be fetched is required");
  // The piece is still there, for this define only.
  ASSERT_EQ(get(stmt, c.err, &handle, &type, &in_out, &iteration, &index, &piece), OCI_SUCCESS);
  EXPECT_EQ(piece, OCI_FIRST_PIECE);
  char buffer[4];
  ub4 length = sizeof buffer;
  OCIStmt* other = Prepare(c, "select L from T");
  EXPECT_EQ(set(other, OCI_HTYPE_DEFINE, c.err, buffer, &length, piece, nullptr, nullptr),
            OCI_INVALID_HANDLE);
  ASSERT_EQ(set(handle, type, c.err, buffer, &length, piece, nullptr, nullptr), OCI_SUCCESS);
  ASSERT_EQ(Library().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NEED_DATA);
  EXPECT_EQ(std::string(buffer, length), "abcd");
  // Executing again forgets the value that was being handed out.
  ASSERT_EQ(Library().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(get(stmt, c.err, &handle, &type, &in_out, &iteration, &index, &piece), OCI_ERROR);
  Library().HandleFree(other, OCI_HTYPE_STMT);
  Library().HandleFree(stmt, OCI_HTYPE_STMT);
}

}  // namespace
}  // namespace qm::ocilite::testing
