// The plug-in's clients as its traces show them: while tracing is on, the plug-in writes its
// trace lines to the process's standard output, so the host passes that output through a pipe
// of its own, copies every byte on, and tells of each client that connects, is refused as a
// second client, or leaves.
#ifndef DIALFORGE_HOST_CLIENTTRACES_H
#define DIALFORGE_HOST_CLIENTTRACES_H

#include <functional>
#include <string>
#include <thread>

#include "platform/OutputCapture.h"

namespace dialforge_host {

class ClientTraces {
 public:
  // Each event ("client connected", "client refused: another client is being served", "client
  // left") is made a line by lineOf, on the copying thread, and written among the copied bytes.
  // Does nothing when the pipe cannot be made.
  explicit ClientTraces(std::function<std::string(const std::string& event)> lineOf);
  // Puts the real standard output back and copies what is left.
  ~ClientTraces();
  ClientTraces(const ClientTraces&) = delete;
  ClientTraces& operator=(const ClientTraces&) = delete;

 private:
  void Copy();
  void Look(const std::string& line);
  void Show(const std::string& event);

  std::function<std::string(const std::string&)> lineOf;
  dialforge_platform::OutputCapture capture;
  std::thread copier;
  std::string partial;
  bool serving = false;
};

}  // namespace dialforge_host

#endif
