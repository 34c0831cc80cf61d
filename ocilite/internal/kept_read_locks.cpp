#include "ocilite/internal/kept_read_locks.h"

#include <pthread.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qm::ocilite {
namespace {

// SQLite's lock slots in a WAL's shared memory: write, checkpoint and recovery, then the readers.
constexpr int kFirstReaderSlot = 3;
constexpr auto kTick = std::chrono::milliseconds(10);

// A main database file: SQLite's own file object sits right behind it.
struct KeptFile {
  sqlite3_file base;  // first, as SQLite sees it
  sqlite3_file* real = nullptr;
  std::mutex mutex;    // between the connection's thread and the releasing thread
  int kept = -1;       // the reader slot held for the connection since it gave it up, or -1
  bool asked = false;  // kept again since the releasing thread last looked
};

sqlite3_file* Real(sqlite3_file* f) {
  return reinterpret_cast<KeptFile*>(f)->real;
}

// Gives up the kept lock for good. Called with the file's mutex held.
void GiveUp(KeptFile& f) {
  if (f.kept < 0) return;
  f.real->pMethods->xShmLock(f.real, f.kept, 1, SQLITE_SHM_UNLOCK | SQLITE_SHM_SHARED);
  f.kept = -1;
}

// The open main database files, and the thread that gives up their idle kept locks. Never
// destroyed: a connection closed late in the process's exit still finds it.
class Releaser {
 public:
  static Releaser& Get() {
    static Releaser* const releaser = [] {
      auto* r = new Releaser;
      // A forked child has no releasing thread, and its copies of the mutexes may have been
      // taken by a thread it does not have: every mutex is held across the fork.
      pthread_atfork([] { Get().HoldAll(); }, [] { Get().FreeAll(); },
                     [] {
                       Get().FreeAll();
                       Get().Orphan();
                     });
      return r;
    }();
    return *releaser;
  }
  // Ends the thread, for the engine is being unloaded; kept locks are given up at once after.
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
      closed_.store(true);
    }
    wake_.notify_one();
    if (thread_) thread_->join();
  }

  void Add(KeptFile* f) {
    std::lock_guard lock(files_mutex_);
    files_.push_back(f);
  }
  void Remove(KeptFile* f) {
    std::lock_guard lock(files_mutex_);
    files_.erase(std::find(files_.begin(), files_.end(), f));
  }
  // False once the engine is being unloaded: a lock given up then is given up at once.
  bool Open() const { return !closed_.load(std::memory_order_relaxed); }
  // A file has just kept a lock (its mutex released since).
  void Kept() {
    if (!sleeping_.load()) return;
    std::lock_guard lock(mutex_);
    if (stop_) return;
    if (!thread_) thread_ = new std::thread([this] { Run(); });
    woken_ = true;
    wake_.notify_one();
  }

 private:
  void HoldAll() {
    mutex_.lock();
    files_mutex_.lock();
    for (KeptFile* f : files_) f->mutex.lock();
  }
  void FreeAll() {
    for (KeptFile* f : files_) f->mutex.unlock();
    files_mutex_.unlock();
    mutex_.unlock();
  }
  // In a forked child: the thread stayed with the parent; its object is left, not joined. The
  // next lock kept here starts the child's own.
  void Orphan() {
    thread_ = nullptr;
    woken_ = false;
    sleeping_.store(true);
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return woken_ || stop_; });
      if (stop_) return;
      woken_ = false;
      sleeping_.store(false);
      for (;;) {
        if (wake_.wait_for(lock, kTick, [&] { return stop_; })) return;
        lock.unlock();
        bool left = ReleaseIdle();
        lock.lock();
        if (left) continue;
        // A file that kept a lock after the look above and still saw this thread awake is found
        // by the second look; one that keeps its lock later sees it asleep and wakes it.
        sleeping_.store(true);
        lock.unlock();
        left = ReleaseIdle();
        lock.lock();
        if (!left) break;
        sleeping_.store(false);
      }
    }
  }
  // Gives up the locks not asked for since the last look; true when some stay kept.
  bool ReleaseIdle() {
    bool left = false;
    std::lock_guard files_lock(files_mutex_);
    for (KeptFile* f : files_) {
      std::lock_guard lock(f->mutex);
      if (f->kept < 0) continue;
      if (std::exchange(f->asked, false))
        left = true;
      else
        GiveUp(*f);
    }
    return left;
  }

  std::mutex files_mutex_;  // taken before any file's mutex
  std::vector<KeptFile*> files_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
  bool stop_ = false;
  std::atomic<bool> sleeping_{true};
  std::atomic<bool> closed_{false};
  std::thread* thread_ = nullptr;
};

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  auto& f = *reinterpret_cast<KeptFile*>(file);
  std::unique_lock lock(f.mutex);
  if (n == 1 && offset == f.kept && flags == (SQLITE_SHM_LOCK | SQLITE_SHM_SHARED)) {
    f.kept = -1;  // still held: the connection's again
    return SQLITE_OK;
  }
  GiveUp(f);
  if (n == 1 && offset >= kFirstReaderSlot && flags == (SQLITE_SHM_UNLOCK | SQLITE_SHM_SHARED) &&
      Releaser::Get().Open()) {
    f.kept = offset;
    f.asked = true;
    lock.unlock();
    Releaser::Get().Kept();
    return SQLITE_OK;
  }
  return f.real->pMethods->xShmLock(f.real, offset, n, flags);
}

int ShmUnmap(sqlite3_file* file, int delete_flag) {
  auto& f = *reinterpret_cast<KeptFile*>(file);
  std::lock_guard lock(f.mutex);
  GiveUp(f);
  return f.real->pMethods->xShmUnmap(f.real, delete_flag);
}

int Close(sqlite3_file* file) {
  auto* f = reinterpret_cast<KeptFile*>(file);
  Releaser::Get().Remove(f);
  int rc;
  {
    std::lock_guard lock(f->mutex);
    GiveUp(*f);
    rc = f->real->pMethods->xClose(f->real);
  }
  f->~KeptFile();
  return rc;
}

const sqlite3_io_methods kMethods = {
    3,
    Close,
    [](sqlite3_file* f, void* p, int n, sqlite3_int64 o) {
      return Real(f)->pMethods->xRead(Real(f), p, n, o);
    },
    [](sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
      return Real(f)->pMethods->xWrite(Real(f), p, n, o);
    },
    [](sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); },
    [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); },
    [](sqlite3_file* f, sqlite3_int64* size) {
      return Real(f)->pMethods->xFileSize(Real(f), size);
    },
    [](sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); },
    [](sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); },
    [](sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); },
    [](sqlite3_file* f, int op, void* arg) {
      return Real(f)->pMethods->xFileControl(Real(f), op, arg);
    },
    [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
    [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
    [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
      return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
    },
    ShmLock,
    [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); },
    ShmUnmap,
    [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
      return Real(f)->pMethods->xFetch(Real(f), o, n, out);
    },
    [](sqlite3_file* f, sqlite3_int64 o, void* p) {
      return Real(f)->pMethods->xUnfetch(Real(f), o, p);
    },
};

// The VFS: SQLite's default one, with main database files wrapped. Never destroyed, like the
// releaser: connections opened with it may outlive its registration.
class KeptReadLocks {
 public:
  KeptReadLocks() : real_(sqlite3_vfs_find(nullptr)) {
    name_ = "ocilite-" + std::to_string(reinterpret_cast<std::uintptr_t>(this));
    vfs_ = *real_;
    vfs_.pNext = nullptr;
    vfs_.szOsFile = static_cast<int>(sizeof(KeptFile)) + real_->szOsFile;
    vfs_.zName = name_.c_str();
    vfs_.pAppData = real_;
    vfs_.xOpen = Open;
    // The default VFS's other methods take it as their first argument.
    vfs_.xDelete = [](sqlite3_vfs* v, const char* name, int sync) {
      return Of(v)->xDelete(Of(v), name, sync);
    };
    vfs_.xAccess = [](sqlite3_vfs* v, const char* name, int flags, int* out) {
      return Of(v)->xAccess(Of(v), name, flags, out);
    };
    vfs_.xFullPathname = [](sqlite3_vfs* v, const char* name, int n, char* out) {
      return Of(v)->xFullPathname(Of(v), name, n, out);
    };
    vfs_.xDlOpen = [](sqlite3_vfs* v, const char* name) { return Of(v)->xDlOpen(Of(v), name); };
    vfs_.xDlError = [](sqlite3_vfs* v, int n, char* out) { Of(v)->xDlError(Of(v), n, out); };
    vfs_.xDlSym = [](sqlite3_vfs* v, void* lib, const char* sym) {
      return Of(v)->xDlSym(Of(v), lib, sym);
    };
    vfs_.xDlClose = [](sqlite3_vfs* v, void* lib) { Of(v)->xDlClose(Of(v), lib); };
    vfs_.xRandomness = [](sqlite3_vfs* v, int n, char* out) {
      return Of(v)->xRandomness(Of(v), n, out);
    };
    vfs_.xSleep = [](sqlite3_vfs* v, int us) { return Of(v)->xSleep(Of(v), us); };
    vfs_.xCurrentTime = [](sqlite3_vfs* v, double* out) { return Of(v)->xCurrentTime(Of(v), out); };
    vfs_.xGetLastError = [](sqlite3_vfs* v, int n, char* out) {
      return Of(v)->xGetLastError(Of(v), n, out);
    };
    vfs_.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* out) {
      return Of(v)->xCurrentTimeInt64(Of(v), out);
    };
    vfs_.xSetSystemCall = [](sqlite3_vfs* v, const char* name, sqlite3_syscall_ptr call) {
      return Of(v)->xSetSystemCall(Of(v), name, call);
    };
    vfs_.xGetSystemCall = [](sqlite3_vfs* v, const char* name) {
      return Of(v)->xGetSystemCall(Of(v), name);
    };
    vfs_.xNextSystemCall = [](sqlite3_vfs* v, const char* name) {
      return Of(v)->xNextSystemCall(Of(v), name);
    };
    sqlite3_vfs_register(&vfs_, 0);
  }
  void Unregister() { sqlite3_vfs_unregister(&vfs_); }
  const char* Name() const { return name_.c_str(); }

 private:
  static sqlite3_vfs* Of(sqlite3_vfs* v) { return static_cast<sqlite3_vfs*>(v->pAppData); }

  static int Open(sqlite3_vfs* v, const char* name, sqlite3_file* file, int flags, int* out_flags) {
    sqlite3_vfs* real = Of(v);
    // Journals and temporary files take no shared-memory locks: SQLite's own object, unwrapped.
    if ((flags & SQLITE_OPEN_MAIN_DB) == 0) return real->xOpen(real, name, file, flags, out_flags);
    auto* f = new (file) KeptFile;
    f->base.pMethods = nullptr;
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    const int rc = real->xOpen(real, name, f->real, flags, out_flags);
    if (f->real->pMethods == nullptr) {
      f->~KeptFile();
      return rc;
    }
    // A file opened but failed is closed through our methods, like any other.
    f->base.pMethods = &kMethods;
    Releaser::Get().Add(f);
    return rc;
  }

  sqlite3_vfs* real_;
  std::string name_;
  sqlite3_vfs vfs_{};
};

}  // namespace

const char* KeptReadLocksVfs() {
  static KeptReadLocks* const vfs = new KeptReadLocks;
  // When the engine is unloaded (dlclose, or the process's exit), SQLite, which may stay, must
  // neither find the VFS nor have the thread run code that is gone.
  static struct Unload {
    ~Unload() {
      vfs->Unregister();
      Releaser::Get().Stop();
    }
  } unload;
  return vfs->Name();
}

}  // namespace qm::ocilite
