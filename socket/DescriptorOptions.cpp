#include "socket/DescriptorOptions.h"

#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

bool Succeeded(const dialforge_platform::SocketError& error) {
  if (error) {
    Tracer::TRACE("%s() failed with error %d", error.call, error.number);
    return false;
  }
  return true;
}

bool PrepareDescriptor(dialforge_platform::SocketHandle descriptor, bool nonBlocking) {
  // Made so already where the system allows: a failure here only leaves it inheritable.
  Succeeded(dialforge_platform::KeepFromChildren(descriptor));
  return !nonBlocking || Succeeded(dialforge_platform::SetNonBlocking(descriptor));
}

}  // namespace VazezeveDudOzizezUziriv
