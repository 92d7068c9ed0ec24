#include "tests/support/CapturedOutput.h"

#include <stdexcept>
#include <thread>

#include "platform/OutputCapture.h"
#include "trace/Tracer.h"

namespace dialforge_test {

std::string CapturedOutput(const std::function<void()>& action) {
  dialforge_platform::OutputCapture capture;
  if (!capture.Capture(dialforge_platform::OutputCapture::Into::Pipe)) {
    throw std::runtime_error("cannot capture standard output");
  }
  // Read meanwhile, so that a full pipe never holds the writer.
  std::string output;
  std::thread reader([&] {
    char bytes[4096];
    for (std::size_t count; (count = capture.Read(bytes, sizeof bytes)) > 0;) {
      output.append(bytes, count);
    }
  });
  action();
  VazezeveDudOzizezUziriv::Tracer::Stop();
  capture.Release();
  reader.join();
  return output;
}

}  // namespace dialforge_test
