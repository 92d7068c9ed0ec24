// The request dispatcher of protocol 1: the request table runs the request, and only a snapshot is
// answered.
#include "surface/Dialforge.h"
#include "surface/RequestTable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

std::string Dialforge::ProcessDialforgeCommand(std::vector<std::string> fields) {
  if (fields.size() < 3) {
    Tracer::TRACE("Invalid message");
    return std::string();
  }
  std::string reply;
  RunRequest(*this, Protocol::First, fields, reply);
  return reply;
}

}  // namespace VazezeveDudOzizezUziriv
