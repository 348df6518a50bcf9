// A look at the relay's process-wide tables from outside the nodes, shared
// by the fuzz targets and the stress tests: whatever the nodes did, the
// tables must agree with each other at every moment.
#pragma once

#include <string>

namespace relayaudit {

// Checks the tables under the registry lock and returns what is wrong with
// them, or "" when they are consistent.
std::string AuditTables();
// Registered nodes and the receivers listed in all ports, for the final
// checks of a run.
int RegisteredNodes();
int ListedReceivers();

}  // namespace relayaudit
