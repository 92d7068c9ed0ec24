#include "plugin/DialforgePlugin.h"

#include <atomic>

#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// Instances that hold a connection: when the last one stops, the tracer's writer is stopped too,
// so that the module can be unloaded with none of its threads left.
std::atomic<int> sConnectedCount{0};

}  // namespace

DialforgePlugin::DialforgePlugin(const HostEntry& hostEntry, SPBasicSuite* basicSuite)
    : hostEntry(hostEntry), basicSuite(basicSuite) {}

DialforgePlugin::~DialforgePlugin() {
  Disconnect();
}

ADOBESDK_ControlSurface* DialforgePlugin::Connect(ADOBESDK_ControlSurfaceHost* host) {
  Tracer::TRACE("Plugin connect request");
  // The host gets one listener per object: an earlier connection ends before the new one.
  if (dialforge != nullptr) {
    Disconnect();
  }
  dialforge = Dialforge::CreateInstance(hostEntry, basicSuite);
  ++sConnectedCount;
  dialforge->SetDialforgeHost(host);
  unsigned short** identifier = nullptr;
  unsigned int* identifierLength = nullptr;
  dialforge->GetConfigIdentifier(identifier, identifierLength);
  listener.ServeSurface(dialforge);
  listener.StartListening(0);
  Tracer::TRACE("Plugin connected");
  return dialforge->GetDialforgeRef();
}

void DialforgePlugin::Disconnect() {
  Tracer::TRACE("Plugin disconnect request");
  if (dialforge != nullptr) {
    listener.StopListening();
    listener.ServeSurface(nullptr);
    dialforge->SetDialforgeHost(nullptr);
    delete dialforge;
    dialforge = nullptr;
    --sConnectedCount;
  }
  Tracer::TRACE("Plugin disconnected");
  if (sConnectedCount == 0) {
    Tracer::Stop();
  }
}

}  // namespace VazezeveDudOzizezUziriv
