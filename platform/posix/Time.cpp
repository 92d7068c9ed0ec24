#include "platform/Time.h"

namespace dialforge_platform {

bool UtcTime(std::time_t moment, std::tm& utc) {
  return gmtime_r(&moment, &utc) != nullptr;
}

}  // namespace dialforge_platform
