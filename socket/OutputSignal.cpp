#include "socket/OutputSignal.h"

#include "socket/DescriptorOptions.h"

namespace VazezeveDudOzizezUziriv {

bool OutputSignal::Open() {
  dialforge_platform::SocketError error;
  dialforge_platform::SocketError inheritable;
  {
    std::lock_guard<std::mutex> lock(writeMutex);
    error = signal.Open();
    inheritable = signal.NotKeptFromChildren();
  }
  if (!error) {
    Succeeded(inheritable);
  }
  return Succeeded(error);
}

void OutputSignal::Close() {
  std::lock_guard<std::mutex> lock(writeMutex);
  signal.Close();
}

void OutputSignal::Raise() {
  std::lock_guard<std::mutex> lock(writeMutex);
  signal.Raise();
}

}  // namespace VazezeveDudOzizezUziriv
