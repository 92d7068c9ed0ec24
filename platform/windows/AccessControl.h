// Who may change a file or folder, as its security descriptor says: on a profile on a second
// volume, or after an installer's grant, users other than ours may write, delete or take over
// what lies below the home.
#ifndef DIALFORGE_PLATFORM_WINDOWS_ACCESSCONTROL_H
#define DIALFORGE_PLATFORM_WINDOWS_ACCESSCONTROL_H

#include <windows.h>

#include <string>

namespace dialforge_platform {

// True when the descriptor's DACL lets nobody but the user, the system and the administrators
// write, delete, change the DACL or take ownership. A missing or NULL DACL lets everyone do all
// of it. Entries that only pass to what is created inside (inherit-only) do not count: what is
// created there is checked itself.
bool OnlyTrustedMayChange(PSECURITY_DESCRIPTOR descriptor, PSID user);

// The DACL in SDDL for what we create: the user, the system and the administrators only, passed
// to what is created inside, and protected from what the folder above passes down.
std::wstring PrivateDaclFor(PSID user);

}  // namespace dialforge_platform

#endif
