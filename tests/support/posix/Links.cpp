#include "tests/support/Links.h"

#include <unistd.h>

namespace dialforge_test {

bool PlantLink(const std::string& target, const std::string& at) {
  return symlink(target.c_str(), at.c_str()) == 0;
}

}  // namespace dialforge_test
