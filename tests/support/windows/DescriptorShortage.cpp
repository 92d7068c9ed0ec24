#include "tests/support/DescriptorShortage.h"

namespace dialforge_test {

// Handles have no per-process limit to lower.
DescriptorShortage::DescriptorShortage() = default;

void DescriptorShortage::End() {}

}  // namespace dialforge_test
