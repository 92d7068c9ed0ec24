// Host error codes as text for trace lines.
#ifndef DIALFORGE_COMPOSE_ERRORMESSAGE_H
#define DIALFORGE_COMPOSE_ERRORMESSAGE_H

#include <string>

// Empty for 0; otherwise the code's four bytes, most significant first, NULs included.
std::string GetErrorMessage(int code);

#endif
