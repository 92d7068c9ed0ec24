// Settings every socket and pipe of the listener gets, whichever file makes it, and the trace of
// a failed system call.
#ifndef DIALFORGE_SOCKET_DESCRIPTOROPTIONS_H
#define DIALFORGE_SOCKET_DESCRIPTOROPTIONS_H

#include "platform/Sockets.h"

namespace VazezeveDudOzizezUziriv {

// Traces "<call>() failed with error <number>" when the call failed; true when it did not.
bool Succeeded(const dialforge_platform::SocketError& error);

// Not inherited, so that a process the host starts holds none of our sockets (a failure is
// traced, never fatal); and non-blocking where asked. False (traced) when that cannot be set.
bool PrepareDescriptor(dialforge_platform::SocketHandle descriptor, bool nonBlocking);

}  // namespace VazezeveDudOzizezUziriv

#endif
