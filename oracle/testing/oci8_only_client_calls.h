#pragma once
// Inside the test client library: the record of calls shared by its two sources.

#include <string>

// Adds `call` ("Name" or "Name(arguments)") to the call log and counts it under its name.
void RecordCall(const std::string& call);
