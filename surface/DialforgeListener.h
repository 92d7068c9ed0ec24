// The listener of one plug-in object: cuts each message into fields and hands it to the control
// surface of that object. While every client served speaks protocol 2, others that prove the
// token may join them, each with its own session.
#ifndef DIALFORGE_SURFACE_DIALFORGELISTENER_H
#define DIALFORGE_SURFACE_DIALFORGELISTENER_H

#include <atomic>
#include <string>
#include <vector>

#include "socket/DialforgeSocket.h"
#include "surface/Dialforge.h"
#include "surface/Protocol2Session.h"

namespace VazezeveDudOzizezUziriv {

class DialforgeListener : public DialforgeSocket {
 public:
  DialforgeListener() = default;
  // Stops before any part of this object is gone, so no message reaches a half-destroyed one.
  ~DialforgeListener();

  // The control surface requests go to. Set before StartListening and cleared only after
  // StopListening, so that no request reaches a surface that is being unbound.
  void ServeSurface(Dialforge* surface);

  // Messages of fewer than three "|"-separated fields are dropped ("Invalid message"); a failure
  // of one request is traced and never ends the listener.
  // A connection that says Hello first speaks protocol 2 from then on.
  std::string ProcessMessage(std::string message) override;

  // Every client must prove the token, the first of an idle listener too: from the
  // "requiretoken" marker, read when the module is loaded.
  static void RequireToken(bool required) { tokenRequired.store(required); }

 protected:
  void ClientBegins() override;
  void ClientEnded() override;
  std::string PendingOutput() override;
  std::string ContinueReply() override;
  std::string ReplyToTooLong() override;
  bool SharingOpen() override;
  Admission AdmitAnother(const std::string& firstLine, bool full, std::string* reply) override;

 private:
  // The token of a Hello's field 3; empty when there is none.
  bool ProvesToken(const std::vector<std::string>& fields) const;
  Protocol2Session& Session() { return sessions[CurrentClient()]; }

  static std::atomic<bool> tokenRequired;
  std::atomic<Dialforge*> surface{nullptr};
  // Listener thread only, by slot.
  Protocol2Session sessions[kMostClients];
  bool served[kMostClients] = {};
};

}  // namespace VazezeveDudOzizezUziriv

#endif
