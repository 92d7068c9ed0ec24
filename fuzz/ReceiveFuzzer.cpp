// Arbitrary bytes, cut into arbitrary chunks, through the listener's line framing and its
// message processing, against the simulated host serving the sample project.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/SimulatedHost.h"
#include "socket/LineAssembler.h"
#include "surface/Dialforge.h"
#include "surface/DialforgeListener.h"

namespace {

using VazezeveDudOzizezUziriv::Dialforge;
using VazezeveDudOzizezUziriv::DialforgeListener;
using VazezeveDudOzizezUziriv::LineAssembler;

// One host and one bound control surface for the whole run. The listener is never started:
// messages are handed to it as its thread would.
struct Serving {
  Serving() : host(dialforge_host::SampleProject()), surface(1, host.BasicSuite()) {
    surface.SetDialforgeHost(host.HostHandle());
    listener.ServeSurface(&surface);
  }
  dialforge_host::SimulatedHost host;
  Dialforge surface;
  DialforgeListener listener;
};

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

// Hands over every message the assembler has; false once it refused the connection.
bool Deliver(LineAssembler& assembler, Serving& serving) {
  std::string message;
  for (;;) {
    switch (assembler.Next(message)) {
      case LineAssembler::Event::None:
        return true;
      case LineAssembler::Event::HttpRefused:
        return false;
      case LineAssembler::Event::MessageTooLong:
        break;
      case LineAssembler::Event::Message:
        Check(message.find('\n') == std::string::npos);
        Check(message.size() <= LineAssembler::kMaxMessageLength);
        serving.listener.ProcessMessage(message);
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Serving* serving = new Serving();
  FuzzedDataProvider input(data, size);
  LineAssembler assembler;
  bool open = true;
  while (open && input.remaining_bytes() > 0) {
    const size_t chunkSize = input.ConsumeIntegralInRange<size_t>(1, 512);
    const std::vector<char> chunk = input.ConsumeBytes<char>(chunkSize);
    assembler.Receive(chunk.data(), chunk.size());
    open = Deliver(assembler, *serving);
  }
  if (open) {
    assembler.Close();
    Deliver(assembler, *serving);
  }
  // Every request releases what it made, and breaks no rule of the host.
  Check(serving->host.LivePluginStringCount() == 0);
  Check(serving->host.ViolationCount() == 0);
  serving->host.ClearJournalLines();
  return 0;
}
