#include "platform/WakeUp.h"

#include <string>

namespace dialforge_platform {

namespace {

bool IsOurs(SocketHandle accepted, SocketHandle connected) {
  int acceptedPort = 0;
  int connectedPort = 0;
  std::string address;
  return !LocalAddress(connected, &connectedPort, &address) && !PeerPort(accepted, &acceptedPort) &&
         acceptedPort == connectedPort;
}

// A listener of a moment on 127.0.0.1, a connection to it, and the accepted end.
SocketError Connect(SocketHandle* watched, SocketHandle* raised) {
  SocketHandle listening = kNoSocket;
  if (const SocketError error = OpenStreamSocket(&listening)) {
    return error;
  }
  int port = 0;
  std::string address;
  SocketError error = GuardListeningPort(listening);
  if (!error) {
    error = BindLoopback(listening, 0);
  }
  if (!error) {
    error = LocalAddress(listening, &port, &address);
  }
  if (!error) {
    error = Listen(listening, 1);
  }
  if (!error) {
    error = OpenStreamSocket(raised);
  }
  if (!error) {
    error = ConnectLoopback(*raised, port);
  }
  // Another program may have connected first: only our own connection is taken, and ours is
  // waiting already.
  for (int taken = 0; !error; ++taken) {
    error = Accept(listening, watched);
    if (!error && IsOurs(*watched, *raised)) {
      break;
    }
    if (!error) {
      Close(*watched);
      *watched = kNoSocket;
      if (taken == 16) {
        error = SocketError{"accept", 0};
      }
    }
  }
  Close(listening);
  return error;
}

}  // namespace

SocketError WakeUp::Open() {
  SocketError error = Connect(&watched, &raised);
  notKeptFromChildren = {};
  for (const SocketHandle end : {watched, raised}) {
    // Made so already (one end made with the flag, the accepted end cleared at once): a failure
    // here only leaves the end inheritable.
    if (!error && end != kNoSocket) {
      if (const SocketError failed = KeepFromChildren(end)) {
        notKeptFromChildren = failed;
      }
    }
    if (!error && end != kNoSocket) {
      error = SetNonBlocking(end);
    }
  }
  // A raise must not wait for the acknowledgement of the previous one.
  if (!error) {
    error = SetNoDelay(raised);
  }
  if (error) {
    Close();
  }
  return error;
}

void WakeUp::Close() {
  for (const SocketHandle end : {watched, raised}) {
    if (end != kNoSocket) {
      dialforge_platform::Close(end);
    }
  }
  watched = raised = kNoSocket;
}

void WakeUp::Raise() {
  if (raised == kNoSocket) {
    return;
  }
  const char byte = 1;
  std::size_t sent = 0;
  Send(raised, &byte, 1, &sent);
}

void WakeUp::Drain() {
  char bytes[64];
  std::size_t received = 0;
  while (!Receive(watched, bytes, sizeof bytes, &received) && received > 0) {
  }
}

}  // namespace dialforge_platform
