#pragma once
// The requests to end a program that the session sends it (SIGTERM, SIGINT,
// SIGHUP), turned into something an event loop can wait on: a descriptor
// that becomes readable when one arrives. A window program then closes its
// windows as a close of their frames would, so that a running operation is
// stopped and nothing is left half written.
namespace qm::process {

// Installs the handlers (once) and gives the descriptor to watch; -1 when
// it cannot be made (the signals then keep their default action).
int stopSignalDescriptor();
// Reads away what the signals that arrived have written.
void drainStopSignals();

} // namespace qm::process
