// The socket of one client, from accept to close, on the listener thread. Every call returns at
// once: the listener waits for all its sockets together and calls these once one is ready.
#ifndef DIALFORGE_SOCKET_CLIENTCONNECTION_H
#define DIALFORGE_SOCKET_CLIENTCONNECTION_H

#include <cstddef>
#include <string>

#include "platform/Sockets.h"

namespace VazezeveDudOzizezUziriv {

class ClientConnection {
 public:
  enum class Input { Received, Nothing, Ended, Failed };
  enum class Sent { Some, Nothing, Failed };

  // Takes over an accepted socket; it is closed by Close or at the latest with the object.
  explicit ClientConnection(dialforge_platform::SocketHandle descriptor);
  ~ClientConnection();
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  // The socket options a session needs, non-blocking among them; false (traced) when the socket
  // cannot be set up.
  bool Prepare();
  dialforge_platform::SocketHandle Handle() const { return descriptor; }
  // At most capacity of the bytes there are now; a failed receive is traced.
  Input Receive(char* buffer, size_t capacity, size_t* received);
  // As many of the bytes as the socket takes now; a failed send is traced.
  Sent Send(const char* bytes, size_t size, size_t* sent);
  // Shuts both directions down and closes the socket; once only.
  void Close();

 private:
  dialforge_platform::SocketHandle descriptor;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
