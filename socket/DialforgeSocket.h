// The companion application's way in: a TCP listener on the loopback address whose port is
// published in a file under the user's home, beside a token file. One thread serves every
// client: each line a client sends goes to ProcessMessage on it, and a non-empty reply goes back
// to that client, whose own queue holds it until the client takes it.
#ifndef DIALFORGE_SOCKET_DIALFORGESOCKET_H
#define DIALFORGE_SOCKET_DIALFORGESOCKET_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Sockets.h"
#include "socket/OutputSignal.h"
#include "socket/PortFile.h"
#include "socket/ServedClient.h"
#include "socket/TokenFile.h"
#include "socket/WakePipe.h"

namespace VazezeveDudOzizezUziriv {

// Where the listener thread is. Idle: no thread runs.
enum class ListenerState { Idle, Opening, Listening, Serving, Pausing, Ending };

// The listening socket is held from its first successful bind until StopListening, so no other
// program can take the port that the port file names. While a client is served, further
// connections are accepted and closed at once ("Another client refused"). After a client that
// sent anything leaves the listener pauses (5 seconds); connections made meanwhile wait and are
// served after it. A connection that ends without a byte, or whose first line is a web request,
// is no client: the next connection is served at once.
//
// Sharing: while SharingOpen says so, a further connection is taken as a candidate instead, and
// its first line, sent within 2 seconds, goes to AdmitAnother, which admits it as one more client
// (up to kMostClients) or refuses it after an optional reply. No client waits on another: sends
// never block, each client's replies wait in its own queue, a client with a megabyte queued is
// not read until it takes some, one that takes nothing for 10 seconds meanwhile is closed
// ("Client too slow: closed"), and the clients' messages are handled in turn, one each per
// round. The pause follows only the last client to leave. Only a failure of the listening socket
// itself gives the port up, and the next attempt binds it again after the pause. While it
// listens it checks the port file at each "Listening..." and every 5 seconds while idle, and
// publishes it again when it is missing.
//
// For subclass writers:
// - ProcessMessage runs on the listener thread, one message at a time, each client's in arrival
//   order; CurrentClient tells whose it is, as it does in ClientBegins, ClientEnded and
//   PendingOutput.
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
  // The clients served at once at most.
  static constexpr size_t kMostClients = 8;

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

  // Only tests change these: fewer clients at once than kMostClients; how long a client with a
  // full queue may take nothing (10 seconds); how long a candidate has for its first line (2
  // seconds). A change holds from the listener thread's next wake on.
  void SetMostClients(size_t count) {
    mostClients.store(count < kMostClients ? count : kMostClients);
  }
  void SetSlowClientLimit(std::chrono::milliseconds limit) { slowClientMs.store(limit.count()); }
  void SetFirstLineLimit(std::chrono::milliseconds limit) { firstLineMs.store(limit.count()); }

  // Any thread, never blocking: the listener thread is to ask PendingOutput for lines to send
  // each client, as soon as no message is being processed. Nothing happens while no client is
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
  // From ProcessMessage or ContinueReply: the reply given is only a part of it. ContinueReply
  // gives the next part at the client's next turn, once its queue has room, before any other
  // message or output of that client; other clients' messages are handled between the parts.
  void ReplyContinues() { replyContinues = true; }
  virtual std::string ContinueReply() { return std::string(); }

  // Whether a connection that comes while clients are served may prove itself; false refuses it
  // at once ("Another client refused").
  virtual bool SharingOpen() { return false; }
  enum class Admission { Admit, Refuse };
  // The first line of such a connection. Admit makes it a client (ClientBegins, then the line is
  // its first message); Refuse sends the reply, if any, and closes it. full: kMostClients are
  // served already, so Admit is refused too.
  virtual Admission AdmitAnother(const std::string& firstLine, bool full, std::string* reply) {
    (void)firstLine;
    (void)full;
    (void)reply;
    return Admission::Refuse;
  }
  // The slot of the client being handled, below kMostClients; each served client holds its own.
  size_t CurrentClient() const { return currentClient; }
  // Whether the text is the token of the token file; listener thread only.
  bool TokenMatches(std::string_view text) const { return tokenFile.Matches(text); }

  // Not virtual: listeners are held by value, never deleted through this class.
  ~DialforgeSocket();
  // Stops a listener that was started and has not been stopped yet; a listener that never ran,
  // or has stopped already, is left as it is and traces nothing.
  void StopListeningIfStarted();

 private:
  bool OnListenerThread() const;
  void RequestStop();
  void JoinListenerThread();
  void BackgroundThread();
  // Each of these returns whether the pause is due before the next attempt.
  bool RunAttempt();
  bool StartListeningOne();
  bool ServeClients(dialforge_platform::SocketHandle descriptor);
  bool OpenListeningSocket();
  dialforge_platform::SocketHandle AcceptClient();
  // A connection waiting at the listening socket, or kNoSocket; *sound is cleared when the
  // listening socket failed.
  dialforge_platform::SocketHandle TakeAnother(bool* sound);
  bool RefuseAnotherClient();
  void TakeCandidate(bool* watchingForOthers);
  int NextWaitMs(ServedClient::Clock::time_point now) const;
  void CloseOverdue(ServedClient::Clock::time_point now);
  void Receive(ServedClient& client);
  void DeliverOne(ServedClient& client);
  void ContinueOne(ServedClient& client);
  bool Admits(ServedClient& client, const std::string& firstLine);
  void Refuse(ServedClient& client, const std::string& reply);
  void Send(ServedClient& client, const std::string& bytes);
  void OfferOutput(ServedClient& client);
  void BeginClient(ServedClient& client);
  void EndClient(ServedClient& client);
  size_t ServedCount() const;
  void CloseEveryClient();
  void Pause();
  void CloseListenSocket();

  // First: Winsock is started before any socket of ours and cleaned up after the last.
  dialforge_platform::SocketsInUse socketsInUse;
  std::atomic<int> port{0};
  TokenFile tokenFile;  // before the port file; listener thread only
  PortFile portFile;    // its path is empty when HOME is not set
  std::atomic<bool> isListening{false};
  dialforge_platform::SocketHandle listenSocket =
      dialforge_platform::kNoSocket;  // listener thread only

  std::atomic<ListenerState> state{ListenerState::Idle};
  std::atomic<std::int64_t> retryPauseMs{5000};
  std::atomic<std::int64_t> portFileCheckMs{5000};
  WakePipe wakePipe;
  OutputSignal outputSignal;
  std::atomic<size_t> mostClients{kMostClients};
  std::atomic<std::int64_t> slowClientMs{10000};
  std::atomic<std::int64_t> firstLineMs{2000};
  // Listener thread only.
  bool closeAfterReply = false;
  bool replyContinues = false;
  std::vector<std::unique_ptr<ServedClient>> clients;
  size_t currentClient = 0;
  std::thread listenerThread;
  std::atomic<std::thread::id> listenerThreadId{};
  // Keeps starts and stops of several threads apart; never taken by the listener thread.
  std::mutex controlMutex;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
