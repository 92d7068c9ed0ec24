#include "surface/DialforgeListener.h"

#include <exception>
#include <utility>
#include <vector>

#include "socket/SplitString.h"
#include "surface/Protocol2Json.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

DialforgeListener::~DialforgeListener() {
  StopListeningIfStarted();
}

void DialforgeListener::ServeSurface(Dialforge* target) {
  if (Dialforge* previous = surface.load()) {
    previous->Notifications().WakeListener(nullptr);
  }
  if (target != nullptr) {
    target->Notifications().WakeListener(this);
  }
  surface.store(target);
}

void DialforgeListener::ClientBegins() {
  session.Reset(surface.load());
}

void DialforgeListener::ClientEnded() {
  session.Reset(surface.load());
}

std::string DialforgeListener::PendingOutput() {
  return session.PendingEvents(surface.load());
}

std::string DialforgeListener::ReplyToTooLong() {
  return session.Active() ? Protocol2Session::TooLong() : std::string();
}

std::string DialforgeListener::ProcessMessage(std::string message) {
  try {
    std::vector<std::string> fields = SplitString(std::move(message), '|');
    if (session.Active()) {
      bool leave = false;
      std::string answer = session.Answer(surface.load(), std::move(fields), &leave);
      if (leave) {
        CloseAfterReply();
      }
      return answer;
    }
    if (fields.size() >= 2 && fields[1] == "Hello") {
      return session.Hello(fields, surface.load());
    }
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
  // A protocol 2 client is still answered, though its id may be lost with the failure.
  return session.Active() ? AnswerLine(nullptr, RequestOutcome::Failed(RequestError::Unavailable,
                                                                       "The request failed"))
                          : std::string();
}

}  // namespace VazezeveDudOzizezUziriv
