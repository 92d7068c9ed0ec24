// The client's connection to the plug-in: found by the port file, made with retries while the
// plug-in is not listening, and known to be served once the plug-in has answered a first
// sentinel. Bytes then go both ways at once, so that a long batch of requests never waits on
// replies nobody reads.
#ifndef DIALFORGE_CLIENT_CONNECTION_H
#define DIALFORGE_CLIENT_CONNECTION_H

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Sockets.h"

namespace dialforge_client {

using Clock = std::chrono::steady_clock;

struct ConnectSettings {
  std::string portFile;
  std::optional<int> port;  // instead of the port file
  std::chrono::milliseconds connectTimeout{0};
  std::chrono::milliseconds replyTimeout{0};
  // Offers protocol 2 with a Hello before the probe.
  bool hello = true;
  // Proved in the Hello, so that the plug-in shares itself with this client; none: the token
  // file beside the port file, read at each try (never with a port given, which may be anyone's).
  std::optional<std::string> token;
  // Tells the user, once per kind, what the client is waiting for.
  std::function<void(const std::string&)> note;
};

class Connection {
 public:
  enum class Event { Received, InputReady, Closed, Stalled };

  // Takes over a connected, non-blocking socket.
  explicit Connection(dialforge_platform::SocketHandle socket);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Sent as soon as the plug-in takes it.
  void Queue(const std::string& bytes);
  // Sends what is queued while it waits for the next event: bytes from the plug-in (in
  // *received), input ready on the given handle (when not kNoSocket), the end of the connection
  // (why, in *received), or, while a reply is awaited or bytes are queued, nothing moving for
  // the reply timeout.
  Event Next(dialforge_platform::SocketHandle input, bool awaitingReply,
             std::chrono::milliseconds replyTimeout, std::string* received);

 private:
  // Before the socket: Winsock is started while the connection lives.
  dialforge_platform::SocketsInUse socketsInUse;
  dialforge_platform::SocketHandle socket;
  std::string queued;
  Clock::time_point lastProgress;
};

// "2.5 s", for messages.
std::string SecondsText(std::chrono::milliseconds duration);

// The outcome of connecting: a served connection and the protocol it speaks, or why none was
// made (busy: the plug-in was serving another client at the last try and took no other;
// unauthorized: it serves others and refused the token).
struct Connected {
  std::unique_ptr<Connection> connection;
  int protocol = 1;
  std::string problem;
  bool busy = false;
  bool unauthorized = false;
};

// The token in the file beside the port file: 32 hex digits, or nothing when the file is
// missing or holds anything else.
std::optional<std::string> TokenBeside(const std::string& portFile);

// Connects and sends "<probeId>.h|Hello|2[|<token>]" (with settings.hello) and the probe
// "<probeId>|GetParameters|~". The probe's reply shows the plug-in serves this connection, with
// nothing of the client's run yet; a Hello answered before it, with protocol 2, shows the
// plug-in speaks protocol 2 from then on (a plug-in that does not know Hello answers nothing to
// it). Tries again until the connect timeout while there is no port file, the port refuses, or
// the plug-in closes the connection before the probe's reply or answers the Hello "busy" (it is
// serving another client); a Hello answered "unauthorized" ends the tries.
Connected ConnectServed(const ConnectSettings& settings, const std::string& probeId);

}  // namespace dialforge_client

#endif
