// The listener of one plug-in object: cuts each message into fields and hands it to the control
// surface of that object.
#ifndef DIALFORGE_SURFACE_DIALFORGELISTENER_H
#define DIALFORGE_SURFACE_DIALFORGELISTENER_H

#include <atomic>
#include <string>

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

 protected:
  void ClientBegins() override;
  void ClientEnded() override;
  std::string PendingOutput() override;
  std::string ReplyToTooLong() override;

 private:
  std::atomic<Dialforge*> surface{nullptr};
  Protocol2Session session;  // listener thread only
};

}  // namespace VazezeveDudOzizezUziriv

#endif
