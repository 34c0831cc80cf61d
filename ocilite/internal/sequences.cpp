#include "ocilite/internal/sequences.h"

#include <limits>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/user_accounts.h"

namespace qm::ocilite {
namespace {

std::string OwnerOf(const std::string& user, const ObjectName& name) {
  return name.owner ? name.owner->text : user;
}

bool SequenceExists(SqliteDb& db, const std::string& owner, const std::string& name) {
  SqliteStmt q = db.Prepare("SELECT 1 FROM ocl_sequences WHERE owner = ?1 AND sequence_name = ?2");
  q.Bind(1, owner);
  q.Bind(2, name);
  return q.Step();
}

}  // namespace

void CreateSequence(SqliteDb& db, const std::string& user, const CreateSequenceStmt& s) {
  const std::string owner = OwnerOf(user, s.sequence);
  const std::string& name = s.sequence.name.text;
  const bool allowed = (owner == user && HasPrivilege(db, user, "CREATE SEQUENCE")) ||
                       HasPrivilege(db, user, "CREATE ANY SEQUENCE");
  if (!allowed) throw OraError(1031);
  SqliteStmt taken = db.Prepare("SELECT 1 FROM ocl_objects WHERE owner = ?1 AND object_name = ?2");
  taken.Bind(1, owner);
  taken.Bind(2, name);
  if (taken.Step() || SequenceExists(db, owner, name)) throw OraError(955).At(s.sequence.name.pos);
  if (s.increment == 0) throw OraError(4005);
  const bool ascending = s.increment > 0;
  const std::int64_t min = s.min_value.value_or(ascending ? 1 : -999999999999999999LL);
  const std::int64_t max = s.max_value.value_or(ascending ? 999999999999999999LL : -1);
  const std::int64_t start = s.start.value_or(ascending ? min : max);
  if (start < min) throw OraError(4006);
  if (start > max) throw OraError(4008);
  SqliteStmt q = db.Prepare("INSERT INTO ocl_sequences VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  q.Bind(1, owner);
  q.Bind(2, name);
  q.Bind(3, min);
  q.Bind(4, max);
  q.Bind(5, s.increment);
  q.Bind(6, s.cycle ? "Y" : "N");
  q.Bind(7, s.cache);
  q.Bind(8, start);
  q.Step();
}

void DropSequence(SqliteDb& db, const std::string& user, const DropSequenceStmt& s) {
  const std::string owner = OwnerOf(user, s.sequence);
  if (!SequenceExists(db, owner, s.sequence.name.text))
    throw OraError(2289).At(s.sequence.name.pos);
  SqliteStmt q = db.Prepare("DELETE FROM ocl_sequences WHERE owner = ?1 AND sequence_name = ?2");
  q.Bind(1, owner);
  q.Bind(2, s.sequence.name.text);
  q.Step();
}

std::int64_t NextValue(SqliteDb& db, EvalContext& ctx, const std::string& owner,
                       const std::string& name) {
  SqliteStmt q = db.Prepare(
      "SELECT min_value, max_value, increment_by, cycle_flag, last_number FROM ocl_sequences "
      "WHERE owner = ?1 AND sequence_name = ?2");
  q.Bind(1, owner);
  q.Bind(2, name);
  if (!q.Step()) throw OraError(2289);
  const std::int64_t min = q.Int(0), max = q.Int(1), step = q.Int(2);
  const bool cycle = q.Text(3) == "Y";
  std::int64_t value = q.Int(4);
  if (value > max || value < min) {
    if (!cycle) throw OraError(8004, {name, step > 0 ? "MAXVALUE" : "MINVALUE"});
    value = step > 0 ? min : max;
  }
  SqliteStmt u = db.Prepare(
      "UPDATE ocl_sequences SET last_number = ?1 WHERE owner = ?2 AND sequence_name = ?3");
  const bool overflows = step > 0 ? value > std::numeric_limits<std::int64_t>::max() - step
                                  : value < std::numeric_limits<std::int64_t>::min() - step;
  // Past the end of the number range the sequence is simply exhausted.
  u.Bind(1, overflows ? (step > 0 ? std::numeric_limits<std::int64_t>::max()
                                  : std::numeric_limits<std::int64_t>::min())
                      : value + step);
  u.Bind(2, owner);
  u.Bind(3, name);
  u.Step();
  ctx.sequence_values[owner + "." + name] = value;
  return value;
}

std::int64_t CurrentValue(EvalContext& ctx, const std::string& owner, const std::string& name) {
  const auto it = ctx.sequence_values.find(owner + "." + name);
  if (it == ctx.sequence_values.end()) throw OraError(8002, {name});
  return it->second;
}

}  // namespace qm::ocilite
