#include "platform/Time.h"

namespace dialforge_platform {

bool UtcTime(std::time_t moment, std::tm& utc) {
  return gmtime_s(&utc, &moment) == 0;
}

}  // namespace dialforge_platform
