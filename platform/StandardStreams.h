// The bytes a console program reads and writes on its standard streams, as they are: on Windows
// the C library would otherwise turn each line feed written into CR LF, and CR LF read into a
// line feed, so that replies and requests would not pass byte for byte.
#ifndef DIALFORGE_PLATFORM_STANDARDSTREAMS_H
#define DIALFORGE_PLATFORM_STANDARDSTREAMS_H

namespace dialforge_platform {

// Before anything is read or written.
void KeepStandardStreamBytes();

}  // namespace dialforge_platform

#endif
