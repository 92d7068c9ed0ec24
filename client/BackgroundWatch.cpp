#include "client/BackgroundWatch.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace dialforge_client {

namespace {

// How long a stopping client may wait for the watch's thread.
constexpr std::chrono::milliseconds kCheckInterval{100};

}  // namespace

BackgroundWatch::BackgroundWatch(Check check) {
  dialforge_platform::SocketError failure = socketsInUse.Failure();
  if (!failure) {
    failure = wakeUp.Open();
  }
  if (failure) {
    throw std::runtime_error(std::string("cannot watch for input: ") + failure.call +
                             " failed, error " + std::to_string(failure.number));
  }
  thread = std::thread([this, check = std::move(check)] { Watch(check); });
}

BackgroundWatch::~BackgroundWatch() {
  stopping = true;
  thread.join();
}

void BackgroundWatch::Watch(const Check& check) {
  while (!stopping) {
    const Found found = check(kCheckInterval);
    if (found != Found::Nothing) {
      wakeUp.Raise();
    }
    if (found == Found::Ended) {
      return;
    }
  }
}

}  // namespace dialforge_client
