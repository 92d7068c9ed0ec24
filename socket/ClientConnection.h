// The socket of the one client being served, from accept to close, on the listener thread: waits
// for its bytes (and meanwhile for further clients at the listening socket), receives them, and
// sends whole replies. Every wait also ends when a stop wakes the listener thread.
#ifndef DIALFORGE_SOCKET_CLIENTCONNECTION_H
#define DIALFORGE_SOCKET_CLIENTCONNECTION_H

#include <cstddef>
#include <string>

#include "platform/Sockets.h"
#include "socket/WakePipe.h"

namespace VazezeveDudOzizezUziriv {

class ClientConnection {
 public:
  enum class Input { Received, Ended, Failed, Woken, AnotherClient, OutputWanted };
  enum class Sent { All, Failed, Woken };

  // Takes over an accepted socket; it is closed by Close or at the latest with the object.
  ClientConnection(dialforge_platform::SocketHandle descriptor, WakePipe& wakePipe);
  ~ClientConnection();
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  // The socket options a session needs; false (traced) when the socket cannot be set up.
  bool Prepare();
  // Waits for the client's bytes and receives at most capacity of them. While it waits, a
  // connection at the listening socket (kNoSocket watches none) ends the wait with
  // AnotherClient, unless the client's own bytes are there too; so does a raised output signal
  // (kNoSocket watches none), before the client's bytes. A failed receive is traced.
  Input Receive(char* buffer, size_t capacity, dialforge_platform::SocketHandle listenSocket,
                size_t* received,
                dialforge_platform::SocketHandle outputSignal = dialforge_platform::kNoSocket);
  // The whole reply, over as many sends as the client's pace needs; a failed send is traced.
  Sent SendAll(const std::string& reply);
  // Shuts both directions down and closes the socket; once only.
  void Close();

 private:
  dialforge_platform::SocketHandle descriptor;
  WakePipe& wakePipe;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
