#include "socket/OutputSignal.h"

#include <unistd.h>

#include <cerrno>

#include "socket/DescriptorOptions.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

bool OutputSignal::Open() {
  int ends[2];
  if (pipe(ends) == -1) {
    Tracer::TRACE("pipe() failed with error %d", errno);
    return false;
  }
  // Neither end may block: a full pipe is raised already, and a drained one is empty.
  if (!PrepareDescriptor(ends[0], true) || !PrepareDescriptor(ends[1], true)) {
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  std::lock_guard<std::mutex> lock(writeMutex);
  readEnd = ends[0];
  writeEnd = ends[1];
  return true;
}

void OutputSignal::Close() {
  std::lock_guard<std::mutex> lock(writeMutex);
  if (readEnd != -1) {
    close(readEnd);
    close(writeEnd);
  }
  readEnd = writeEnd = -1;
}

void OutputSignal::Raise() {
  std::lock_guard<std::mutex> lock(writeMutex);
  if (writeEnd == -1) {
    return;
  }
  const char raised = 1;
  while (write(writeEnd, &raised, 1) == -1 && errno == EINTR) {
  }
}

void OutputSignal::Drain() {
  char bytes[64];
  for (;;) {
    const ssize_t count = read(readEnd, bytes, sizeof bytes);
    if (count > 0 || (count == -1 && errno == EINTR)) {
      continue;
    }
    return;
  }
}

}  // namespace VazezeveDudOzizezUziriv
