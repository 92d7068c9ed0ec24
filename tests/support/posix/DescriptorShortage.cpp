#include "tests/support/DescriptorShortage.h"

#include <sys/resource.h>
#include <unistd.h>

namespace dialforge_test {

DescriptorShortage::DescriptorShortage() {
  rlimit limit{};
  const int lowestFree = dup(0);
  if (lowestFree == -1 || getrlimit(RLIMIT_NOFILE, &limit) != 0) {
    return;
  }
  close(lowestFree);
  previous = limit.rlim_cur;
  limit.rlim_cur = static_cast<rlim_t>(lowestFree) + 1;
  made = setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

void DescriptorShortage::End() {
  if (!made) {
    return;
  }
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = static_cast<rlim_t>(previous);
  setrlimit(RLIMIT_NOFILE, &limit);
  made = false;
}

}  // namespace dialforge_test
