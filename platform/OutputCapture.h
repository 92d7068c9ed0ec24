// Standard output sent elsewhere for a while: through a pipe that the process reads itself (to
// see what a loaded module writes there), or away. Whatever writes to standard output, by the C
// library or by the system's own calls, goes there; the real output stays reachable.
#ifndef DIALFORGE_PLATFORM_OUTPUTCAPTURE_H
#define DIALFORGE_PLATFORM_OUTPUTCAPTURE_H

#include <cstddef>
#include <memory>

namespace dialforge_platform {

class OutputCapture {
 public:
  enum class Into { Pipe, Nowhere };

  OutputCapture();
  // Puts the real standard output back, as Release does.
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  // What the C library holds is written out first. False, with standard output untouched, when
  // it cannot be done.
  bool Capture(Into where);
  // Waits for bytes from the pipe; 0 at its end, once Release has put the real output back.
  std::size_t Read(char* bytes, std::size_t size);
  // Writes all bytes to the real standard output; false when it cannot.
  bool WriteToRealOutput(const char* bytes, std::size_t size);
  // The real standard output again; the pipe's reader then reads to its end.
  void Release();

 private:
  struct Ends;
  std::unique_ptr<Ends> ends;
};

}  // namespace dialforge_platform

#endif
