#include "ocilite/internal/oci_handles.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/oci7_state.h"

namespace qm::ocilite::oci {
namespace {

// Live handles and their types. Checking a pointer here, rather than reading through it, keeps
// a stale or foreign pointer from crashing the library.
std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::unordered_map<const void*, ub4>& Registry() {
  static std::unordered_map<const void*, ub4> live;
  return live;
}

// Bumped whenever a handle goes, so that a thread's memory of live handles (below) is never
// older than the last free.
std::atomic<std::uint64_t> registry_generation{0};

// A thread's last answers, for the few handles that every call of a statement checks again.
struct KnownLive {
  const void* handle = nullptr;
  ub4 type = 0;
  std::uint64_t generation = 0;
};
// Room for every handle a client's statements use at once (their define handles too); a
// multiplicative hash spreads handles whose addresses differ by the same block sizes.
constexpr int kKnownLiveBits = 6;

void Unregister(const void* handle) {
  std::lock_guard lock(RegistryMutex());
  Registry().erase(handle);
  registry_generation.fetch_add(1, std::memory_order_release);
}

}  // namespace

Handle::Handle(ub4 handle_type, EnvHandle* owner_env) : type(handle_type), env(owner_env) {
  std::lock_guard lock(RegistryMutex());
  Registry()[this] = handle_type;
}

Handle::~Handle() { Unregister(this); }

bool IsLive(const void* p, ub4 type) {
  if (!p) return false;
  thread_local KnownLive known[1 << kKnownLiveBits];
  KnownLive& slot = known[(reinterpret_cast<std::uintptr_t>(p) * 0x9E3779B97F4A7C15ULL) >>
                          (64 - kKnownLiveBits)];
  const std::uint64_t generation = registry_generation.load(std::memory_order_acquire);
  if (slot.handle == p && slot.generation == generation) return slot.type == type;
  std::lock_guard lock(RegistryMutex());
  const auto it = Registry().find(p);
  if (it == Registry().end()) return false;
  // Read under the lock: no handle can have gone since.
  slot = {p, it->second, registry_generation.load(std::memory_order_relaxed)};
  return it->second == type;
}

void ErrorHandle::Record(const OraError& e) {
  const CodePage* cp = env ? env->nls.code_page : nullptr;
  records.clear();
  records.push_back({e.Code(), cp ? cp->FromUtf8(e.what()) : std::string(e.what())});
}

EnvHandle::EnvHandle(ub4 m) : Handle(OCI_HTYPE_ENV, this), mode(m) {}

EnvHandle::~EnvHandle() {
  // Statements first, then what they run on.
  std::stable_partition(children.begin(), children.end(),
                        [](Handle* h) { return h->type == OCI_HTYPE_STMT; });
  while (!children.empty()) FreeChild(children.front());
}

ServerHandle::~ServerHandle() {
  Detach();
  for (Handle* h : env->children) {
    if (h->type == OCI_HTYPE_SVCCTX && static_cast<SvcCtxHandle*>(h)->server == this)
      static_cast<SvcCtxHandle*>(h)->server = nullptr;
    if (h->type == OCI_HTYPE_SESSION && static_cast<SessionHandle*>(h)->server == this)
      static_cast<SessionHandle*>(h)->server = nullptr;
  }
}

void ServerHandle::Detach() {
  for (Handle* h : env->children) {
    auto* svc = h->type == OCI_HTYPE_SVCCTX ? static_cast<SvcCtxHandle*>(h) : nullptr;
    if (svc && svc->server == this && svc->lda) {
      ReleaseLda(svc->lda);
      svc->lda = nullptr;
    }
  }
  session.reset();
}

SessionHandle::~SessionHandle() {
  for (Handle* h : env->children)
    if (h->type == OCI_HTYPE_SVCCTX && static_cast<SvcCtxHandle*>(h)->session == this)
      static_cast<SvcCtxHandle*>(h)->session = nullptr;
}

SvcCtxHandle::~SvcCtxHandle() {
  ReleaseLda(lda);
}

Session& SvcCtxHandle::Active() {
  if (!server || !server->session) throw OraError(3114);
  if (!session || session->server != server || !server->session->LoggedOn()) throw OraError(1012);
  return *server->session;
}

ParamHandle::~ParamHandle() {
  if (stmt) std::erase(stmt->params, this);
}

StmtHandle::~StmtHandle() {
  for (ParamHandle* p : std::vector<ParamHandle*>(params)) FreeChild(p);
}

void StmtHandle::Reset() {
  for (ParamHandle* p : std::vector<ParamHandle*>(params)) FreeChild(p);
  binds.clear();
  defines.clear();
  described = false;
  executed = false;
  prefetch_rows = 1;
  prefetch_memory = 0;
  user_memory.clear();
  runner.Reset();
}

namespace {
// Enough for a client that keeps a few statements open beside the one it churns.
constexpr std::size_t kIdleStatements = 4;
}  // namespace

StmtHandle* AllocStatement(EnvHandle* env) {
  if (env->idle_statements.empty()) return MakeChild<StmtHandle>(env, OCI_HTYPE_STMT, env);
  StmtHandle* s = env->idle_statements.back().release();
  env->idle_statements.pop_back();
  {
    std::lock_guard lock(RegistryMutex());
    Registry()[s] = OCI_HTYPE_STMT;
  }
  env->children.push_back(s);
  return s;
}

void FreeStatement(StmtHandle* s) {
  EnvHandle* env = s->env;
  if (env->idle_statements.size() >= kIdleStatements) {
    FreeChild(s);
    return;
  }
  s->Reset();
  std::erase(env->children, s);
  Unregister(s);
  env->idle_statements.emplace_back(s);
}

const NlsSettings* NlsOf(const void* hndl) {
  if (auto* env = As<EnvHandle>(hndl, OCI_HTYPE_ENV)) return &env->nls;
  if (auto* usr = As<SessionHandle>(hndl, OCI_HTYPE_SESSION)) {
    if (usr->server && usr->server->session && usr->server->session->LoggedOn())
      return &usr->server->session->Context().nls;
    return &usr->env->nls;
  }
  return nullptr;
}

void FreeChild(Handle* h) {
  if (h->env && h->env != h) std::erase(h->env->children, h);
  delete h;
}

std::string TextArg(const OraText* text, sb4 length) { return std::string(TextView(text, length)); }

std::string_view TextView(const OraText* text, sb4 length) {
  if (!text) return {};
  const auto* p = reinterpret_cast<const char*>(text);
  return length < 0 ? std::string_view(p) : std::string_view(p, static_cast<std::size_t>(length));
}

}  // namespace qm::ocilite::oci
