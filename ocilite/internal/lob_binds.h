// LOB locators bound as values (SQLT_CLOB, SQLT_BLOB): the buffer holds the address of a locator
// (a temporary LOB, or one a fetch filled), whose value goes into the statement. A locator
// without a value binds NULL. LOBs are taken in only: as out binds they are refused (ORA-03001).
#pragma once

#include "ocilite/internal/client_buffers.h"

namespace qm::ocilite {

bool IsLobBindType(ub2 dty);
// The value of the locator whose address `buffer` holds; ORA-22275 for something else there.
Value LoadLobBind(const void* buffer);
SqlType LobBindType(ub2 dty);

}  // namespace qm::ocilite
