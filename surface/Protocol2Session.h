// Protocol 2 on one connection: the handshake that opens it, the answer to every request, and
// the events of the subscriptions. A connection that never says Hello is left to protocol 1.
// Each served client has a session of its own, named by its listener slot.
// Every line it gives is one JSON object and its line feed.
#ifndef DIALFORGE_SURFACE_PROTOCOL2SESSION_H
#define DIALFORGE_SURFACE_PROTOCOL2SESSION_H

#include <cstdint>
#include <string>
#include <vector>

#include "surface/Dialforge.h"
#include "surface/RequestOutcome.h"
#include "surface/SnapshotParts.h"

namespace VazezeveDudOzizezUziriv {

class Protocol2Session {
 public:
  // A connection begins or ends in the slot: protocol 1, nothing subscribed.
  void Reset(Dialforge* surface, size_t client);
  bool Active() const { return active; }

  // What a line that comes first on a connection while others are served does.
  struct Admission {
    bool admitted = false;
    std::string refusal;  // the answer before the close; empty for a line that is no Hello
  };
  // The token field (3) must prove the client, and there must be room for it.
  static Admission AdmitAnother(const std::vector<std::string>& fields, bool tokenMatches,
                                bool full);
  // The answer to a Hello whose token is missing or wrong.
  static std::string Unauthorized(const std::vector<std::string>& fields);

  // A Hello on a protocol 1 connection: the handshake's answer, which opens protocol 2 when the
  // client speaks version 2 or later. It tells what the plug-in knows of the surface's host.
  std::string Hello(const std::vector<std::string>& fields, Dialforge* surface);
  // The answer to one request of a protocol 2 connection; leave is set by Bye. A snapshot of
  // many rows gives only the first part of its answer while Continues says so.
  std::string Answer(Dialforge* surface, std::vector<std::string> fields, bool* leave);
  bool Continues() const { return parts.Composing(); }
  // The next part of the answer, its line feed after the last.
  std::string NextPart(Dialforge* surface);
  // Ends the answer with the rows composed so far, after a part that failed.
  std::string AbandonParts();
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

  size_t client = 0;
  bool active = false;
  bool transportSubscribed = false;
  bool mixerSubscribed = false;
  uint64_t sentTransportGeneration = 0;
  SnapshotParts parts;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
