// Standard output, byte for byte, while the object lives: what the tracer writes there, also from
// a loaded module, and on Windows without the C library's text mode taking CR LF apart.
#ifndef DIALFORGE_TESTS_SUPPORT_CAPTUREDOUTPUT_H
#define DIALFORGE_TESTS_SUPPORT_CAPTUREDOUTPUT_H

#include <string>
#include <thread>

#include "platform/OutputCapture.h"

namespace dialforge_test {

class CapturedOutput {
 public:
  // Throws std::runtime_error when standard output cannot be captured.
  CapturedOutput();
  ~CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Puts the real standard output back and returns every byte written until then.
  std::string Take();

 private:
  dialforge_platform::OutputCapture capture;
  std::string bytes;
  // Reads the pipe as it fills, so that a writer never waits on it.
  std::thread reader;
};

}  // namespace dialforge_test

#endif
