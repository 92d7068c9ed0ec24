// Files the plug-in only looks at.
#ifndef DIALFORGE_PLATFORM_FILES_H
#define DIALFORGE_PLATFORM_FILES_H

#include <string>

namespace dialforge_platform {

// Whether the file opens for reading, without waiting on it: a FIFO planted there would otherwise
// hold the caller forever. Nothing is read.
bool OpensForReading(const std::string& path);

// Whether nothing at all is at the path, not even a link; false when the system cannot say.
bool IsMissing(const std::string& path);

// A new folder, only the user's, named with the prefix and a unique ending in the system's
// temporary folder; empty when it cannot be made.
std::string MakeTemporaryFolder(const std::string& prefix);

}  // namespace dialforge_platform

#endif
