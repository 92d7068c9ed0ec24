// Settings every descriptor of the listener gets, whichever file makes it.
#ifndef DIALFORGE_SOCKET_DESCRIPTOROPTIONS_H
#define DIALFORGE_SOCKET_DESCRIPTOROPTIONS_H

namespace VazezeveDudOzizezUziriv {

// Close-on-exec, so that a process the host starts inherits none of our descriptors; and
// non-blocking where asked. False (traced) when fcntl() fails.
bool PrepareDescriptor(int descriptor, bool nonBlocking);

// Turns a boolean socket option on; a failure is traced and otherwise ignored.
void SetOption(int descriptor, int level, int option);

}  // namespace VazezeveDudOzizezUziriv

#endif
