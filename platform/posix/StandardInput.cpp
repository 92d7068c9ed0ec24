#include "platform/StandardInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace dialforge_platform {

std::optional<std::size_t> ReadStandardInput(char* bytes, std::size_t size,
                                             std::chrono::milliseconds timeout) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, static_cast<int>(timeout.count())) <= 0) {
    return std::nullopt;
  }
  const ssize_t count = read(STDIN_FILENO, bytes, size);
  if (count < 0 && errno == EINTR) {
    return std::nullopt;
  }
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

}  // namespace dialforge_platform
