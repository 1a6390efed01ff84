// Requests from outside the program to end it: SIGTERM (a desktop session that ends, a service
// manager, kill), SIGINT (Ctrl+C in the terminal that started it) and SIGHUP (that terminal
// closed under the program). The handler only notes the request; the machine's event source hands
// it to the window layer as one TerminateRequested event, and the program closes itself in order
// from its message loop, asking nothing.
#pragma once

namespace platform {

// Installs the handlers for SIGTERM, SIGINT and SIGHUP (the programs' main functions call it; tests
// that never do keep the default behaviour). SIGHUP ignored at the start (nohup) stays ignored.
void InstallTerminationSignals();
// True once for each request noted since the last call.
[[nodiscard]] bool TakeTerminationRequest();
// Whether a request waits to be taken (an event source that blocks stops waiting for it).
[[nodiscard]] bool TerminationPending();
// Notes a request as the handler would (tests).
void RequestTermination();

}  // namespace platform
