// The calendar time of a moment.
#ifndef DIALFORGE_PLATFORM_TIME_H
#define DIALFORGE_PLATFORM_TIME_H

#include <ctime>

namespace dialforge_platform {

// The moment in UTC, thread-safe; false when the system cannot convert it.
bool UtcTime(std::time_t moment, std::tm& utc);

}  // namespace dialforge_platform

#endif
