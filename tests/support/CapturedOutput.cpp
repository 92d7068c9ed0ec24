#include "tests/support/CapturedOutput.h"

#include <cstdio>
#include <stdexcept>

namespace dialforge_test {

CapturedOutput::CapturedOutput() {
  if (!capture.Capture(dialforge_platform::OutputCapture::Into::Pipe)) {
    throw std::runtime_error("cannot capture standard output");
  }
  reader = std::thread([this] {
    char chunk[4096];
    for (std::size_t count = capture.Read(chunk, sizeof chunk); count > 0;
         count = capture.Read(chunk, sizeof chunk)) {
      bytes.append(chunk, count);
    }
  });
}

CapturedOutput::~CapturedOutput() {
  Take();
}

std::string CapturedOutput::Take() {
  if (!reader.joinable()) {
    return bytes;
  }
  std::fflush(stdout);
  capture.Release();
  reader.join();
  return bytes;
}

}  // namespace dialforge_test
