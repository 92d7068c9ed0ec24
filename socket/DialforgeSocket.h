// The companion application's way in: a TCP listener on the loopback address whose port is
// published in a file under the user's home. One client at a time; each line it sends goes to
// ProcessMessage on the listener's own thread, and a non-empty reply goes back to it.
#ifndef DIALFORGE_SOCKET_DIALFORGESOCKET_H
#define DIALFORGE_SOCKET_DIALFORGESOCKET_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Sockets.h"
#include "socket/LineAssembler.h"
#include "socket/OutputSignal.h"
#include "socket/PortFile.h"
#include "socket/WakePipe.h"

namespace VazezeveDudOzizezUziriv {

class ClientConnection;

// Where the listener thread is. Idle: no thread runs.
enum class ListenerState { Idle, Opening, Listening, Serving, Pausing, Ending };

// The listening socket is held from its first successful bind until StopListening, so no other
// program can take the port that the port file names. While a client is served, further
// connections are accepted and closed at once ("Another client refused"). After a client that
// sent anything leaves the listener pauses (5 seconds); connections made meanwhile wait and are
// served after it. A connection that ends without a byte, or whose first line is a web request,
// is no client: the next connection is served at once. Only a failure of the listening socket
// itself gives the port up, and the next attempt binds it again after the pause. While it
// listens it checks the port file at each "Listening..." and every 5 seconds while idle, and
// publishes it again when it is missing.
//
// For subclass writers:
// - ProcessMessage runs on the listener thread, one message at a time, in arrival order.
//   An exception it lets out ends the connection; the listener goes on after the pause.
// - Call StopListeningIfStarted in your own destructor. The base destructor stops too, but by
//   then your part of the object is gone, and a message in flight would reach it.
// - StopListening on any other thread returns once the listener thread has ended (so no message
//   is in flight any more) and the port file is gone. Called from ProcessMessage it cannot wait
//   for its own thread: it asks for the stop and returns at once; the reply of that message is
//   still sent if the client takes it without waiting, and the thread then ends by itself.
//   A later StartListening or StopListening from another thread waits for that end.
// - StartListening while the listener runs (or from ProcessMessage) is traced and ignored.
class DialforgeSocket {
 public:
  DialforgeSocket();
  DialforgeSocket(const DialforgeSocket&) = delete;
  DialforgeSocket& operator=(const DialforgeSocket&) = delete;

  // Port 0 lets the system choose; every later bind asks for the port first bound.
  void StartListening(int port);
  void StopListening();

  // The message without its line feed; an empty reply sends nothing.
  virtual std::string ProcessMessage(std::string message) = 0;

  // Shuts both directions down and closes the socket.
  void closeSocket(dialforge_platform::SocketHandle descriptor);

  // The port asked for, and the one bound once an attempt has bound it.
  int GetPort() const { return port.load(); }
  ListenerState GetState() const { return state.load(); }
  // The wait before listening again after a client or a failure: 5 seconds. Only tests shorten
  // it; a change holds from the next pause on.
  void SetRetryPause(std::chrono::milliseconds pause) { retryPauseMs.store(pause.count()); }
  // How long an idle listener waits between checks of its port file: 5 seconds. Only tests
  // change it; a change holds from the next wait on.
  void SetPortFileCheckInterval(std::chrono::milliseconds interval) {
    portFileCheckMs.store(interval.count());
  }

  // Any thread, never blocking: the listener thread is to ask PendingOutput for lines to send
  // its client, as soon as no message is being processed. Nothing happens while no client is
  // served; a raise before any is served is asked about at the next client's first chance.
  void WakeForOutput() { outputSignal.Raise(); }

 protected:
  // The hooks below run on the listener thread, and none of them by default does anything.
  // A client has been accepted; its messages follow.
  virtual void ClientBegins() {}
  // The client is no longer served, whatever ended it.
  virtual void ClientEnded() {}
  // Lines for the client that are not replies, asked for between two messages and after
  // WakeForOutput; empty sends nothing.
  virtual std::string PendingOutput() { return std::string(); }
  // The reply to a line that was too long and dropped; empty sends nothing.
  virtual std::string ReplyToTooLong() { return std::string(); }
  // From ProcessMessage: once its reply is sent, the connection closes, the rest of what the
  // client sent is dropped and the next client is served without the pause.
  void CloseAfterReply() { closeAfterReply = true; }

  // Not virtual: listeners are held by value, never deleted through this class.
  ~DialforgeSocket();
  // Stops a listener that was started and has not been stopped yet; a listener that never ran,
  // or has stopped already, is left as it is and traces nothing.
  void StopListeningIfStarted();

 private:
  enum class Outcome { KeepServing, Stopped, Refused, Leaving };

  bool OnListenerThread() const;
  void RequestStop();
  void JoinListenerThread();
  void BackgroundThread();
  // Each of these returns whether the pause is due before the next attempt.
  bool RunAttempt();
  bool StartListeningOne();
  bool ServeClient(dialforge_platform::SocketHandle descriptor);
  bool OpenListeningSocket();
  dialforge_platform::SocketHandle AcceptClient();
  bool RefuseAnotherClient();
  Outcome DeliverMessages(ClientConnection& connection);
  Outcome Send(ClientConnection& connection, const std::string& bytes);
  Outcome SendPendingOutput(ClientConnection& connection);
  void Pause();
  void CloseListenSocket();

  // First: Winsock is started before any socket of ours and cleaned up after the last.
  dialforge_platform::SocketsInUse socketsInUse;
  std::atomic<int> port{0};
  PortFile portFile;  // its path is empty when HOME is not set
  char buffer[131072];
  std::atomic<bool> isListening{false};
  dialforge_platform::SocketHandle listenSocket =
      dialforge_platform::kNoSocket;  // listener thread only

  std::atomic<ListenerState> state{ListenerState::Idle};
  std::atomic<std::int64_t> retryPauseMs{5000};
  std::atomic<std::int64_t> portFileCheckMs{5000};
  WakePipe wakePipe;
  OutputSignal outputSignal;
  bool closeAfterReply = false;  // listener thread only
  LineAssembler assembler;
  std::thread listenerThread;
  std::atomic<std::thread::id> listenerThreadId{};
  // Keeps starts and stops of several threads apart; never taken by the listener thread.
  std::mutex controlMutex;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
