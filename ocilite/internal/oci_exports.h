// Included first by the files that define the client interface's entry points, so that their
// declarations, and with them the definitions, are exported from the shared library while
// everything else in the engine stays hidden.
#pragma once

#pragma GCC visibility push(default)
#include "oci/oci.h"
#pragma GCC visibility pop
