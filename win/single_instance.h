// One copy of the program per working folder. The first copy holds a lock file in the folder
// and listens on a local socket named after the folder; a later copy finds the lock taken, and
// from then on FindWindow answers for the first copy's windows with a stand-in handle through
// which ShowWindow, SetForegroundWindow and BringWindowToTop reach the first copy (which brings
// its main window, or its last active popup, to the front).
#pragma once

#include <string>

namespace win {

enum class InstanceRole { First, Second, Unavailable };

// Claims the folder. Unavailable means no lock could be made (e.g. a read-only folder); the
// program then runs as if it were the first copy.
InstanceRole ClaimSingleInstance(const std::string& folder);
// After an Unavailable claim: the lock file and why it could not be taken ("a folder has that
// name"), for the user; empty when the folder itself cannot be written (no copy can write its
// settings there, so two copies lose nothing to each other) or the claim succeeded.
[[nodiscard]] std::string SingleInstanceLockProblem();
// After a Second claim that no first copy answered: another program holds the lock. This copy
// runs as the only one, and SingleInstanceLockProblem says who has the lock, for the user.
void NoteLockHeldByAnotherProgram();
void ReleaseSingleInstance();
// How many requests to come to the front this copy has served.
int FrontRequestsServed();

}  // namespace win
