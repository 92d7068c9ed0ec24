#include "surface/DialforgeListener.h"

#include <exception>
#include <utility>
#include <vector>

#include "socket/SplitString.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

DialforgeListener::~DialforgeListener() {
  StopListeningIfStarted();
}

void DialforgeListener::ServeSurface(Dialforge* target) {
  surface.store(target);
}

std::string DialforgeListener::ProcessMessage(std::string message) {
  try {
    std::vector<std::string> fields = SplitString(std::move(message), '|');
    if (fields.size() < 3) {
      Tracer::TRACE("Invalid message");
      return std::string();
    }
    Dialforge* target = surface.load();
    if (target == nullptr) {
      Tracer::TRACE("Control surface not available");
      return std::string();
    }
    return target->ProcessDialforgeCommand(std::move(fields));
  } catch (const std::exception& failure) {
    Tracer::TRACE("Request failed: %s", failure.what());
  } catch (...) {
    Tracer::TRACE("Request failed");
  }
  return std::string();
}

}  // namespace VazezeveDudOzizezUziriv
