#pragma once
// Inside the test client library: the record of calls shared by its two sources.

#include <string>

// Adds `call` ("Name" or "Name(arguments)") to the call log and counts it under its name.
void RecordCall(const std::string& call);
// Forgets the scripted server's state that the tests read back: statement names start at S1
// again and no result set is open.
void ResetScriptedServer();
