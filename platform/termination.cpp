#include "platform/termination.h"

#include <signal.h>

#include <atomic>

namespace platform {
namespace {

// Only a lock-free atomic may be touched from a signal handler.
std::atomic<int> theRequests{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void NoteTermination(int) {
    theRequests.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void InstallTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = &NoteTermination;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes go on: the request is served by the message loop, never by
    // breaking off a file operation half-way.
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // Started under nohup (SIGHUP ignored), the program outlives its terminal as asked.
    struct sigaction before {};
    if (sigaction(SIGHUP, nullptr, &before) != 0 || before.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
}

bool TakeTerminationRequest() {
    int n = theRequests.load(std::memory_order_relaxed);
    while (n > 0) {
        if (theRequests.compare_exchange_weak(n, 0, std::memory_order_relaxed)) return true;
    }
    return false;
}

bool TerminationPending() {
    return theRequests.load(std::memory_order_relaxed) > 0;
}

void RequestTermination() {
    NoteTermination(SIGTERM);
}

}  // namespace platform
