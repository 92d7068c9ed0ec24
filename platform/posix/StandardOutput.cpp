#include "platform/StandardOutput.h"

#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace dialforge_platform {

namespace {

// How often a writer waiting for standard output asks whether to give up.
constexpr int kPollMilliseconds = 50;

}  // namespace

// A pipe or terminal takes up to PIPE_BUF bytes without blocking once it polls writable; a
// plain file always does. The host's own flags of standard output stay as they are.
void WriteStandardOutput(const std::string& text, bool (*giveUp)()) {
  size_t written = 0;
  while (written < text.size() && !giveUp()) {
    pollfd output{STDOUT_FILENO, POLLOUT, 0};
    const int ready = poll(&output, 1, kPollMilliseconds);
    if (ready == -1 && errno != EINTR) {
      return;
    }
    if (ready <= 0) {
      continue;
    }
    // Nobody reads it any more (a write would raise SIGPIPE), or it is no descriptor at all.
    if ((output.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      return;
    }
    const size_t chunk = std::min<size_t>(text.size() - written, PIPE_BUF);
    const ssize_t count = write(STDOUT_FILENO, text.data() + written, chunk);
    if (count == -1 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
      continue;
    }
    if (count <= 0) {
      return;
    }
    written += static_cast<size_t>(count);
  }
}

// The poll above wakes often enough to see `giveUp`.
void InterruptStandardOutput() {}

void WriteDebuggerOutput(const std::string&) {}

}  // namespace dialforge_platform
