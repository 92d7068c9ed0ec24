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

#include "socket/LineAssembler.h"

namespace VazezeveDudOzizezUziriv {

// Where the listener thread is. Idle: no thread runs.
enum class ListenerState { Idle, Opening, Listening, Serving, Pausing, Ending };

// For subclass writers:
// - ProcessMessage runs on the listener thread, one message at a time, in arrival order.
//   An exception it lets out ends the connection; the listener listens again after the pause.
// - Call StopListening in your own destructor. The base destructor stops too, but by then your
//   part of the object is gone, and a message in flight would reach it.
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

  // Port 0 lets the system choose; every later attempt asks for the port first bound.
  void StartListening(int port);
  void StopListening();

  // The message without its line feed; an empty reply sends nothing.
  virtual std::string ProcessMessage(std::string message) = 0;

  // Shuts both directions down and closes the descriptor.
  void closeSocket(int descriptor);

  // The port asked for, and the one bound once an attempt has bound it.
  int GetPort() const { return port.load(); }
  ListenerState GetState() const { return state.load(); }
  // The wait before listening again after a disconnect or a failure: 5 seconds. Only tests
  // shorten it; a change holds from the next pause on.
  void SetRetryPause(std::chrono::milliseconds pause) { retryPauseMs.store(pause.count()); }

 protected:
  // Not virtual: listeners are held by value, never deleted through this class.
  ~DialforgeSocket();

 private:
  enum class Wait { Ready, Woken, Failed };
  enum class Outcome { KeepServing, Stopped, Refused };
  enum class Sent { All, Failed, Stopped };

  bool OnListenerThread() const;
  bool OpenWakePipe();
  void CloseWakePipe();
  void RequestStop();
  void JoinListenerThread();
  void BackgroundThread();
  void RunAttempt();
  void StartListeningOne();
  bool OpenListeningSocket(const char* portText);
  void WritePortFile();
  void DeletePortFile();
  bool AcceptClient();
  void ServeClient();
  Outcome DeliverMessages();
  Sent SendReply(const std::string& reply);
  Wait WaitFor(int descriptor, short events);
  void Pause();
  void CloseListenSocket();
  void CloseClientSocket();

  std::atomic<int> port{0};
  const std::string portFilePath;  // empty when HOME is not set
  char buffer[131072];
  std::atomic<bool> isListening{false};
  int listenSocket = -1;  // listener thread only
  int clientSocket = -1;  // listener thread only

  std::atomic<ListenerState> state{ListenerState::Idle};
  std::atomic<std::int64_t> retryPauseMs{5000};
  // Readable once a stop is asked for: wakes every wait of the listener thread.
  int wakeReadEnd = -1;
  int wakeWriteEnd = -1;
  LineAssembler assembler;
  std::thread listenerThread;
  std::atomic<std::thread::id> listenerThreadId{};
  // Keeps starts and stops of several threads apart; never taken by the listener thread.
  std::mutex controlMutex;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
