// One host connection of the plug-in: its control surface and its listener.
#ifndef DIALFORGE_PLUGIN_DIALFORGEPLUGIN_H
#define DIALFORGE_PLUGIN_DIALFORGEPLUGIN_H

#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPBasic.h"
#include "surface/Dialforge.h"
#include "surface/DialforgeListener.h"

namespace VazezeveDudOzizezUziriv {

class DialforgePlugin {
 public:
  DialforgePlugin(const HostEntry& hostEntry, SPBasicSuite* basicSuite);
  // Disconnects, so the host may free the object and unload the module at once.
  ~DialforgePlugin();

  DialforgePlugin(const DialforgePlugin&) = delete;
  DialforgePlugin& operator=(const DialforgePlugin&) = delete;

  // Binds a new control surface to the host and starts listening. A connected object is
  // disconnected first.
  ADOBESDK_ControlSurface* Connect(ADOBESDK_ControlSurfaceHost* host);
  // Returns once the listener thread has ended and the host suites are released.
  void Disconnect();

 private:
  DialforgeListener listener;
  Dialforge* dialforge = nullptr;
  HostEntry hostEntry;
  SPBasicSuite* basicSuite;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
