#include "surface/DialforgeListener.h"

#include <exception>
#include <utility>
#include <vector>

#include "socket/SplitString.h"
#include "surface/Protocol2Json.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

std::atomic<bool> DialforgeListener::tokenRequired{false};

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
  Session().Reset(surface.load(), CurrentClient());
  served[CurrentClient()] = true;
}

void DialforgeListener::ClientEnded() {
  Session().Reset(surface.load(), CurrentClient());
  served[CurrentClient()] = false;
}

std::string DialforgeListener::PendingOutput() {
  return Session().PendingEvents(surface.load());
}

std::string DialforgeListener::ContinueReply() {
  Protocol2Session& session = Session();
  std::string part;
  try {
    part = session.NextPart(surface.load());
  } catch (const std::exception& failure) {
    Tracer::TRACE("Request failed: %s", failure.what());
    part = session.AbandonParts();
  }
  if (session.Continues()) {
    ReplyContinues();
  }
  return part;
}

std::string DialforgeListener::ReplyToTooLong() {
  return Session().Active() ? Protocol2Session::TooLong() : std::string();
}

bool DialforgeListener::SharingOpen() {
  bool any = false;
  for (size_t slot = 0; slot < kMostClients; ++slot) {
    if (served[slot] && !sessions[slot].Active()) {
      return false;
    }
    any = any || served[slot];
  }
  return any;
}

DialforgeSocket::Admission DialforgeListener::AdmitAnother(const std::string& firstLine, bool full,
                                                           std::string* reply) {
  const std::vector<std::string> fields = SplitString(firstLine, '|');
  const Protocol2Session::Admission admission =
      Protocol2Session::AdmitAnother(fields, ProvesToken(fields), full);
  *reply = admission.refusal;
  return admission.admitted ? Admission::Admit : Admission::Refuse;
}

bool DialforgeListener::ProvesToken(const std::vector<std::string>& fields) const {
  return fields.size() >= 4 && TokenMatches(fields[3]);
}

std::string DialforgeListener::ProcessMessage(std::string message) {
  try {
    std::vector<std::string> fields = SplitString(std::move(message), '|');
    Protocol2Session& session = Session();
    const bool hello = fields.size() >= 2 && fields[1] == "Hello";
    if (!session.Active() && tokenRequired.load() && !(hello && ProvesToken(fields))) {
      Tracer::TRACE("Client without token refused");
      CloseAfterReply();
      return hello ? Protocol2Session::Unauthorized(fields) : std::string();
    }
    if (session.Active()) {
      bool leave = false;
      std::string answer = session.Answer(surface.load(), std::move(fields), &leave);
      if (leave) {
        CloseAfterReply();
      } else if (session.Continues()) {
        ReplyContinues();
      }
      return answer;
    }
    if (hello) {
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
  return Session().Active() ? AnswerLine(nullptr, RequestOutcome::Failed(RequestError::Unavailable,
                                                                         "The request failed"))
                            : std::string();
}

}  // namespace VazezeveDudOzizezUziriv
