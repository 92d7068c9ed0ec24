// A person's request to stop a console program: SIGINT or SIGTERM, or on Windows Ctrl-C,
// Ctrl-Break or the console closing.
#ifndef DIALFORGE_PLATFORM_STOPREQUESTS_H
#define DIALFORGE_PLATFORM_STOPREQUESTS_H

namespace dialforge_platform {

// Before any thread starts: from now on a stop request waits for WaitForStopRequest.
void HoldStopRequests();

// Returns once a stop request has arrived.
void WaitForStopRequest();

// From now on a stop request ends the program at once.
void ReleaseStopRequests();

}  // namespace dialforge_platform

#endif
