// The file layer under every SQLite connection of the engine: SQLite's default one, except that a
// WAL read lock the connection gives up is kept a little longer in case it is asked for again.
//
// Outside a transaction each query reads in a snapshot of its own: SQLite takes a reader slot's
// lock in the WAL's shared memory when the query starts and gives it up when the query ends. That
// is a pair of fcntl() calls per query, and on a virtual machine the pair costs about as much as
// the rest of a one-row lookup. A connection that asks again for the same slot soon after, as an
// import's existence queries do record after record, finds its lock still held. Every query still
// takes its snapshot afresh (SQLite reads the WAL's header again at each start); only the lock on
// the slot outlives the query, which is what a slow reader does, and what every writer and
// checkpointer already allows for.
//
// A kept lock is given up before the connection takes any other lock (so its own writes and
// checkpoints never wait on it), when the file is closed, and once it has gone unasked for a
// whole tick of the process's releasing thread (10 to 20 ms): an idle session does not hold back
// another's checkpoint for longer than that. The thread starts with the first kept lock and
// sleeps while none is kept.
#pragma once

namespace qm::ocilite {

// The name to open SQLite connections with (sqlite3_open_v2's zVfs); registered on the first
// call, unregistered when the engine is unloaded. Each copy of the engine in a process has its
// own.
const char* KeptReadLocksVfs();

}  // namespace qm::ocilite
