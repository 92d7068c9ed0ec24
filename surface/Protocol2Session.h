// Protocol 2 on one connection: the handshake that opens it, the answer to every request, and
// the events of the subscriptions. A connection that never says Hello is left to protocol 1.
// Every line it gives is one JSON object and its line feed.
#ifndef DIALFORGE_SURFACE_PROTOCOL2SESSION_H
#define DIALFORGE_SURFACE_PROTOCOL2SESSION_H

#include <cstdint>
#include <string>
#include <vector>

#include "surface/Dialforge.h"
#include "surface/RequestOutcome.h"

namespace VazezeveDudOzizezUziriv {

class Protocol2Session {
 public:
  // A connection begins or ends: protocol 1, nothing subscribed.
  void Reset(Dialforge* surface);
  bool Active() const { return active; }

  // A Hello on a protocol 1 connection: the handshake's answer, which opens protocol 2 when the
  // client speaks version 2 or later. It tells what the plug-in knows of the surface's host.
  std::string Hello(const std::vector<std::string>& fields, Dialforge* surface);
  // The answer to one request of a protocol 2 connection; leave is set by Bye.
  std::string Answer(Dialforge* surface, std::vector<std::string> fields, bool* leave);
  // The events due: what changed since the last ones, newest state only.
  std::string PendingEvents(Dialforge* surface);
  // The answer to a line over the limit, whose id is unknown.
  static std::string TooLong();

 private:
  // Appends what a successful answer adds after "ok" to answer (the snapshot); on failure
  // answer is to be dropped.
  RequestOutcome Dispatch(Dialforge& surface, std::vector<std::string>& fields,
                          std::string& answer);
  RequestOutcome Subscribe(Dialforge& surface, const std::string& name, bool on);

  bool active = false;
  bool transportSubscribed = false;
  bool mixerSubscribed = false;
  uint64_t sentTransportGeneration = 0;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
