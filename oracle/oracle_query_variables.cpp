// TOracleQuery's declared variables: declaring, setting and reading them, and binding them to
// the parsed statement by name.
#include <algorithm>
#include <stdexcept>

#include "oracle/oci_entry_points.h"
#include "oracle/oracle_object.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_reference.h"
#include "oracle/oracle_session.h"
#include "oracle/temporary_lob.h"
#include "platform/codepage.h"

namespace qm {
namespace {

std::string VariableKey(const std::string& name) {
  return Cp1251Upper(!name.empty() && name[0] == ':' ? name : ":" + name);
}

std::string ComplexVariableText(int kind) {
  switch (kind) {
    case kVariableObject:
      return "Object variable ";
    case kVariableReference:
      return "Reference variable ";
    case kVariableCursor:
      return "Cursor variable ";
    default:
      return "LOB variable ";
  }
}

// Whether a complex variable has its object; an object or a reference whose session logged off
// since holds nothing any more.
bool HasObject(const TVariableData& v) {
  if (v.object == nullptr) return false;
  if (v.kind == kVariableObject)
    return static_cast<TOracleObject*>(v.object)->Instance() != nullptr;
  if (v.kind == kVariableReference)
    return static_cast<TOracleReference*>(v.object)->Ref() != nullptr;
  if (v.kind != kVariableCursor) return static_cast<TTemporaryLOB*>(v.object)->Locator() != nullptr;
  return true;
}

}  // namespace

void TOracleQuery::BindComplex(TVariableData& v) {
  const OciEntryPoints& oci = session_->Entries();
  // A LOB locator goes by its address, a cursor as its query's statement handle, which the
  // server opens on the select; an object or a reference by the address of its instance, given
  // with its type in a second call. All are bound again at every execution.
  void* value = nullptr;
  sb4 size = 0;
  OCIType* type = nullptr;
  void** instance = nullptr;
  void** nulls = nullptr;
  if (v.kind == kVariableCursor) {
    value = static_cast<TOracleQuery*>(v.object)->CursorHandle(session_);
  } else if (v.kind == kVariableObject) {
    auto* object = static_cast<TOracleObject*>(v.object);
    type = object->TypeDescriptor();
    instance = object->InstanceAddress();
    nulls = object->NullStructureAddress();
  } else if (v.kind == kVariableReference) {
    auto* reference = static_cast<TOracleReference*>(v.object);
    type = reference->TypeDescriptor();
    instance = reference->RefAddress();
  } else {
    value = static_cast<TTemporaryLOB*>(v.object)->LocatorAddress();
    size = static_cast<sb4>(sizeof(OCILobLocator*));
  }
  OCIBind* bind = nullptr;
  sword status =
      oci.OCIBindByName(stmt_, &bind, err_, reinterpret_cast<const OraText*>(v.name.data()),
                        static_cast<sb4>(v.name.size()), value, size, static_cast<ub2>(v.kind),
                        nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  if (ErrorCodeOf(status) == 0 && instance != nullptr)
    status = oci.OCIBindObject(bind, err_, type, instance, nullptr, nulls, nullptr);
  if (ErrorCodeOf(status) != 0) session_->RaiseOracleError(err_);
}

void TOracleQuery::BindVariables() {
  const OciEntryPoints& oci = session_->Entries();
  int arrayCount = -1;
  for (const auto& holder : variables_) {
    TVariableData& v = *holder;
    if (v.kind == kVariableSubstitution) continue;
    if (v.Complex()) {
      const std::string what = ComplexVariableText(v.kind) + v.name;
      if (!HasObject(v)) throw std::runtime_error(what + " cannot be nil");
      RequireFeature(session_, what);
      BindComplex(v);
      continue;
    }
    if (v.array) {
      if (arrayCount >= 0 && arrayCount != v.Count())
        throw std::runtime_error("All arrays must be of equal size for Array DML");
      arrayCount = v.Count();
    }
    if (OCI8() && !v.plsqlTable && v.boundParse == parseCount_ &&
        v.boundBuffer == v.buffer.data())
      continue;
    sb4 size = static_cast<sb4>(v.elementSize);
    ub2 type = static_cast<ub2>(v.kind);
    switch (v.kind) {
      case kVariableString:
      case kVariableChar:
        if (!v.array && !v.plsqlTable) size = std::min(size, session_->MaxStringBindSize() + 1);
        type = v.kind == kVariableChar ? SQLT_AVC : SQLT_STR;
        break;
      case kVariableLongString:
        type = SQLT_STR;
        break;
      case kVariableLong:
      case kVariableLongRaw:
        size = static_cast<sb4>(v.elementSize - 1);  // the value's own length
        break;
      default:
        break;
    }
    if (!OCI8()) {
      BindOCI7(v, size, type);
      continue;
    }
    OCIBind* bind = nullptr;
    // A PL/SQL table goes as one array of its whole size, with the count of elements in use.
    const sword status = oci.OCIBindByName(
        stmt_, &bind, err_, reinterpret_cast<const OraText*>(v.name.data()),
        static_cast<sb4>(v.name.size()), v.buffer.data(), size, type, v.indicators.data(),
        v.plsqlTable ? v.lengths.data() : nullptr, nullptr,
        v.plsqlTable ? static_cast<ub4>(v.tableSize) : 0, v.plsqlTable ? &v.tableCount : nullptr,
        OCI_DEFAULT);
    if (ErrorCodeOf(status) != 0) session_->RaiseOracleError(err_);
    v.boundParse = parseCount_;
    v.boundBuffer = v.buffer.data();
  }
  arraySize_ = arrayCount < 0 ? 1 : arrayCount;
}

int TOracleQuery::VariableIndex(const std::string& name) const {
  const std::string key = VariableKey(name);
  for (size_t i = 0; i < variables_.size(); ++i)
    if (variables_[i]->name == key) return static_cast<int>(i);
  return -1;
}

TVariableData& TOracleQuery::Variable(const std::string& name) {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Variable " + name + " not declared");
  return *variables_[static_cast<size_t>(index)];
}

void TOracleQuery::DeclareVariable(const std::string& name, int kind) {
  if (name.empty() || name == ":")
    throw std::runtime_error("You cannot declare a variable with an empty name");
  auto variable = std::make_unique<TVariableData>(VariableKey(name), kind);
  const int index = VariableIndex(name);
  if (index >= 0)
    variables_[static_cast<size_t>(index)] = std::move(variable);
  else
    variables_.push_back(std::move(variable));
  prepared_.clear();
  CloseForODBC();
}

void TOracleQuery::DeleteVariable(const std::string& name) {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Variable " + name + " not declared");
  variables_.erase(variables_.begin() + index);
  prepared_.clear();
  CloseForODBC();
}

void TOracleQuery::SetComplexVariable(const std::string& name, const TTemporaryLOB& lob) {
  TVariableData& v = Variable(name);
  if (v.kind != lob.LobType()) throw std::runtime_error(name + " is not a LOB variable");
  v.object = const_cast<TTemporaryLOB*>(&lob);
}

void TOracleQuery::SetComplexVariable(const std::string& name, TOracleObject& object) {
  TVariableData& v = Variable(name);
  if (v.kind != kVariableObject) throw std::runtime_error(name + " is not an object variable");
  v.object = &object;
}

void TOracleQuery::SetComplexVariable(const std::string& name, TOracleReference& reference) {
  TVariableData& v = Variable(name);
  if (v.kind != kVariableReference) throw std::runtime_error(name + " is not a reference variable");
  v.object = &reference;
}

void TOracleQuery::SetComplexVariable(const std::string& name, TOracleQuery& cursor) {
  TVariableData& v = Variable(name);
  if (v.kind != kVariableCursor) throw std::runtime_error(name + " is not a cursor variable");
  // Its handle would be given up while it carries the block.
  if (&cursor == this) throw std::runtime_error(name + " cannot be opened on its own query");
  v.object = &cursor;
}

void TOracleQuery::OpenBoundCursors() {
  for (const auto& v : variables_)
    if (v->kind == kVariableCursor && v->object != nullptr)
      static_cast<TOracleQuery*>(v->object)->OpenResultSet();
}

void TOracleQuery::DeclarePLSQLTable(const std::string& name, int kind, int tableSize) {
  DeclareVariable(name, kind);
  TVariableData& v = Variable(name);
  v.plsqlTable = true;
  v.tableSize = std::max(tableSize, 1);
  v.Assign(std::vector<TVariableValue>(static_cast<size_t>(v.tableSize)), false, false);
  v.tableCount = 0;
}

void TOracleQuery::SetVariable(const std::string& name, const TVariableValue& value) {
  TVariableData& v = Variable(name);
  if (v.plsqlTable)
    throw std::runtime_error(name + " is a PL/SQL Table, assign a variant array to it");
  const bool convertCRLF = session_ != nullptr && session_->Preferences().ConvertCRLF();
  const bool zeroDateIsNull = session_ == nullptr || session_->Preferences().ZeroDateIsNull();
  v.array = false;
  v.Assign({value}, convertCRLF, zeroDateIsNull);
}

void TOracleQuery::SetVariableArray(const std::string& name,
                                    const std::vector<TVariableValue>& values) {
  TVariableData& v = Variable(name);
  if (v.Complex()) throw std::runtime_error(name + " is a complex variable and cannot be an array");
  if (v.kind == kVariableSubstitution)
    throw std::runtime_error(name + " is a substitution variable and cannot be an array");
  const bool convertCRLF = session_ != nullptr && session_->Preferences().ConvertCRLF();
  const bool zeroDateIsNull = session_ == nullptr || session_->Preferences().ZeroDateIsNull();
  if (v.plsqlTable) {
    if (static_cast<int>(values.size()) > v.tableSize)
      throw std::runtime_error("Array is larger than PL/SQL Table (" +
                               std::to_string(values.size()) + " > " +
                               std::to_string(v.tableSize) + ")");
    // The unused elements stay, NULL, for what the server puts there.
    std::vector<TVariableValue> table = values;
    table.resize(static_cast<size_t>(v.tableSize));
    v.Assign(table, convertCRLF, zeroDateIsNull);
    v.tableCount = static_cast<ub4>(values.size());
    return;
  }
  v.array = true;
  v.Assign(values, convertCRLF, zeroDateIsNull);
}

std::vector<TVariableValue> TOracleQuery::GetVariableArray(const std::string& name) const {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Unknown variable: " + name);
  const TVariableData& v = *variables_[static_cast<size_t>(index)];
  const int count = v.plsqlTable ? std::min(static_cast<int>(v.tableCount), v.tableSize) : v.Count();
  std::vector<TVariableValue> values;
  for (int i = 0; i < count; ++i) values.push_back(v.Element(i));
  return values;
}

TVariableValue TOracleQuery::GetVariable(const std::string& name) const {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Unknown variable: " + name);
  return variables_[static_cast<size_t>(index)]->Element(0);
}

const std::string& TOracleQuery::VariableName(int index) const {
  if (index < 0 || index >= VariableCount())
    throw std::runtime_error("Variable " + std::to_string(index) + " does not exist");
  return variables_[static_cast<size_t>(index)]->name;
}

int TOracleQuery::VariableType(int index) const {
  VariableName(index);
  return variables_[static_cast<size_t>(index)]->kind;
}

}  // namespace qm
