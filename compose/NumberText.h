// Numbers of the reply texts, appended as printf writes them, without printf's cost.
#ifndef DIALFORGE_COMPOSE_NUMBERTEXT_H
#define DIALFORGE_COMPOSE_NUMBERTEXT_H

#include <cstdint>
#include <string>

namespace VazezeveDudOzizezUziriv {

// As "%u" writes it.
void AppendUnsigned(std::string& text, uint32_t value);
// As "%f" writes the value converted to double: at least one digit before the point, six after
// it, rounded to nearest with ties to even, "-" whenever the sign bit is set (so -0 gives
// -0.000000). Non-finite values are written by the C library itself.
void AppendFloat(std::string& text, float value);

}  // namespace VazezeveDudOzizezUziriv

#endif
