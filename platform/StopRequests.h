// A person's request to stop a console program: SIGINT or SIGTERM, or on Windows Ctrl-C,
// Ctrl-Break or the console closing.
#ifndef DIALFORGE_PLATFORM_STOPREQUESTS_H
#define DIALFORGE_PLATFORM_STOPREQUESTS_H

#include <chrono>
#include <optional>

namespace dialforge_platform {

// Before any thread starts: from now on stop requests are kept for TakeStopRequest.
void HoldStopRequests();

// Waits up to the timeout for a stop request and takes it. Returns the exit status of a program
// ended by that request (128 plus the signal's number), or nothing when none came.
std::optional<int> TakeStopRequest(std::chrono::milliseconds timeout);

}  // namespace dialforge_platform

#endif
