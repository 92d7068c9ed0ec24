// What an action writes to standard output, byte for byte. gtest's own capture reads its file
// in text mode on Windows, which turns CR LF into LF.
#ifndef DIALFORGE_TESTS_SUPPORT_CAPTUREDOUTPUT_H
#define DIALFORGE_TESTS_SUPPORT_CAPTUREDOUTPUT_H

#include <functional>
#include <string>

namespace dialforge_test {

// The tracer is stopped before the capture ends, so that its queued lines are in it. Throws
// std::runtime_error when standard output cannot be captured.
std::string CapturedOutput(const std::function<void()>& action);

}  // namespace dialforge_test

#endif
