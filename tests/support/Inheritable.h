// What a child process started now would inherit of this process's sockets and pipes.
#ifndef DIALFORGE_TESTS_SUPPORT_INHERITABLE_H
#define DIALFORGE_TESTS_SUPPORT_INHERITABLE_H

#include <cstddef>

namespace dialforge_test {

// The sockets (and, on Linux and macOS, pipes) of the process that a child would inherit, the
// standard streams left out.
std::size_t InheritableSocketCount();

}  // namespace dialforge_test

#endif
