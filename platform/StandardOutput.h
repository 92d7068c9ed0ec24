// Writing the process's standard output from one writer thread, which a stalled reader (a pipe
// nobody reads, a paused terminal) may hold, but never for ever once the writer is told to stop.
#ifndef DIALFORGE_PLATFORM_STANDARDOUTPUT_H
#define DIALFORGE_PLATFORM_STANDARDOUTPUT_H

#include <string>

namespace dialforge_platform {

// Writes the bytes as they are. Returns when all are written, when nobody reads standard output
// any more (or there is none), or soon after `giveUp` turns true or InterruptStandardOutput is
// called. One thread at a time.
void WriteStandardOutput(const std::string& text, bool (*giveUp)());

// From another thread: ends a write the system holds, where `giveUp` alone cannot end it.
void InterruptStandardOutput();

// The text for a debugger as well, on systems whose programs may have no console (Windows).
void WriteDebuggerOutput(const std::string& text);

}  // namespace dialforge_platform

#endif
