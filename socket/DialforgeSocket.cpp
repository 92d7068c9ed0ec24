#include "socket/DialforgeSocket.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>

#include "platform/DataFolder.h"
#include "socket/ClientConnection.h"
#include "socket/DescriptorOptions.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

using dialforge_platform::kNoSocket;
using dialforge_platform::SocketError;
using dialforge_platform::SocketErrorKind;
using dialforge_platform::SocketHandle;

namespace {

constexpr int kListenBacklog = 128;
constexpr const char* kStartIgnored = "Listener already running; start ignored";

// HOME, or LOCALAPPDATA on Windows.
std::string HomeFolder() {
  return dialforge_platform::Variable(dialforge_platform::HomeVariable()).value_or(std::string());
}

// The connection went away before it was taken, or the network had a passing fault; the
// listening socket itself is sound.
bool IsPassingAcceptError(int error) {
  const SocketErrorKind kind = dialforge_platform::KindOf(error);
  return kind == SocketErrorKind::Interrupted || kind == SocketErrorKind::WouldBlock ||
         kind == SocketErrorKind::PassingFault;
}

// The process or the system is short of something; the listening socket itself is sound.
bool IsShortageAcceptError(int error) {
  return dialforge_platform::KindOf(error) == SocketErrorKind::Shortage;
}

}  // namespace

DialforgeSocket::DialforgeSocket() : portFile(HomeFolder()) {}

DialforgeSocket::~DialforgeSocket() {
  StopListeningIfStarted();
}

void DialforgeSocket::StopListeningIfStarted() {
  if (listenerThread.joinable()) {
    StopListening();
  }
}

void DialforgeSocket::StartListening(int requestedPort) {
  Tracer::TRACE("Start listening on port %d", requestedPort);
  if (OnListenerThread()) {
    Tracer::TRACE("%s", kStartIgnored);
    return;
  }
  std::lock_guard<std::mutex> lock(controlMutex);
  if (isListening.load()) {
    Tracer::TRACE("%s", kStartIgnored);
    return;
  }
  JoinListenerThread();
  port.store(requestedPort);
  // The pipe itself is made by the listener thread: a shortage of descriptors now must not keep
  // later attempts from listening.
  wakePipe.Reset();
  // Open for the life of the thread: the host may raise it from its own thread at any time.
  // Without it (short of descriptors) requests are still served; only events wait for the next
  // message.
  outputSignal.Open();
  isListening.store(true);
  state.store(ListenerState::Opening);
  try {
    listenerThread = std::thread(&DialforgeSocket::BackgroundThread, this);
  } catch (const std::exception&) {
    isListening.store(false);
    state.store(ListenerState::Idle);
    outputSignal.Close();
    Tracer::TRACE("Cannot start listener thread");
    return;
  }
  Tracer::TRACE("Started listening");
}

void DialforgeSocket::StopListening() {
  Tracer::TRACE("Stop listening");
  if (OnListenerThread()) {
    RequestStop();
    return;
  }
  std::lock_guard<std::mutex> lock(controlMutex);
  RequestStop();
  JoinListenerThread();
  Tracer::TRACE("Stopped listening");
}

void DialforgeSocket::closeSocket(SocketHandle descriptor) {
  dialforge_platform::ShutDownAndClose(descriptor);
}

bool DialforgeSocket::OnListenerThread() const {
  return listenerThreadId.load() == std::this_thread::get_id();
}

void DialforgeSocket::RequestStop() {
  isListening.store(false);
  wakePipe.Wake();
}

void DialforgeSocket::JoinListenerThread() {
  if (listenerThread.joinable()) {
    listenerThread.join();
    outputSignal.Close();
  }
}

void DialforgeSocket::BackgroundThread() {
  listenerThreadId.store(std::this_thread::get_id());
  Tracer::TRACE("Background thread started");
  bool pauseDue = RunAttempt();
  while (isListening.load()) {
    if (pauseDue) {
      Pause();
      if (!isListening.load()) {
        break;
      }
    }
    pauseDue = RunAttempt();
  }
  state.store(ListenerState::Ending);
  if (listenSocket != kNoSocket) {
    CloseListenSocket();
    Tracer::TRACE("Listen socket closed");
  }
  portFile.Withdraw();
  wakePipe.Close();
  Tracer::TRACE("Background thread exited");
  listenerThreadId.store(std::thread::id());
  state.store(ListenerState::Idle);
}

bool DialforgeSocket::RunAttempt() {
  // Nothing may escape the thread: a subclass's ProcessMessage or an allocation that fails ends
  // this attempt only.
  try {
    return StartListeningOne();
  } catch (const std::exception& error) {
    Tracer::TRACE("Listener attempt failed: %s", error.what());
  } catch (...) {
    Tracer::TRACE("Listener attempt failed");
  }
  return true;
}

bool DialforgeSocket::StartListeningOne() {
  if (!wakePipe.Open()) {
    return true;
  }
  if (listenSocket == kNoSocket) {
    state.store(ListenerState::Opening);
    if (!OpenListeningSocket()) {
      return true;
    }
  } else {
    portFile.RepublishIfMissing(port.load());
  }
  Tracer::TRACE("Listening...");
  state.store(ListenerState::Listening);
  const SocketHandle client = AcceptClient();
  // A failed accept pauses: the failure may repeat at once.
  return client == kNoSocket || ServeClient(client);
}

bool DialforgeSocket::OpenListeningSocket() {
  char portText[16];
  std::snprintf(portText, sizeof portText, "%d", port.load());
  Tracer::TRACE("Opening port %s (%d)", portText, port.load());
  if (!Succeeded(dialforge_platform::OpenStreamSocket(&listenSocket))) {
    return false;
  }
  if (!PrepareDescriptor(listenSocket, true)) {
    CloseListenSocket();
    return false;
  }
  // Past clients' connections linger in TIME_WAIT on this port; without this, binding it again
  // after a failure of the listening socket would fail for a minute. Nor may another program
  // take the port from us while we hold it.
  Succeeded(dialforge_platform::GuardListeningPort(listenSocket));
  if (!Succeeded(dialforge_platform::BindLoopback(listenSocket, port.load()))) {
    CloseListenSocket();
    // The port may stay taken (on Windows, by connections that linger on it): the system
    // chooses another, which the port file then tells.
    if (port.load() != 0) {
      port.store(0);
      return OpenListeningSocket();
    }
    return false;
  }
  int boundPort = 0;
  std::string address;
  if (!Succeeded(dialforge_platform::LocalAddress(listenSocket, &boundPort, &address))) {
    CloseListenSocket();
    return false;
  }
  port.store(boundPort);
  Tracer::TRACE("Local port %d", port.load());
  Tracer::TRACE("Local address '%s'", address.c_str());
  if (!Succeeded(dialforge_platform::Listen(listenSocket, kListenBacklog))) {
    CloseListenSocket();
    return false;
  }
  // Only now: a client that reads the port file must find the port listening.
  portFile.Publish(port.load());
  return true;
}

SocketHandle DialforgeSocket::AcceptClient() {
  for (;;) {
    dialforge_platform::WatchedSocket watched[1] = {
        {listenSocket, dialforge_platform::kReadable, 0}};
    const WakePipe::Wait wait = wakePipe.WaitFor(
        watched, static_cast<int>(std::min<std::int64_t>(portFileCheckMs.load(), INT_MAX)));
    if (wait == WakePipe::Wait::Woken || wait == WakePipe::Wait::Failed) {
      return kNoSocket;
    }
    if (wait == WakePipe::Wait::TimedOut) {
      portFile.RepublishIfMissing(port.load());
      continue;
    }
    SocketHandle client = kNoSocket;
    const SocketError error = dialforge_platform::Accept(listenSocket, &client);
    if (!error) {
      return client;
    }
    if (IsPassingAcceptError(error.number)) {
      continue;
    }
    Succeeded(error);
    // A shortage passes with time and keeps the port; anything else is the listening socket's
    // own failure, and the next attempt binds the port anew.
    if (!IsShortageAcceptError(error.number)) {
      CloseListenSocket();
    }
    return kNoSocket;
  }
}

bool DialforgeSocket::RefuseAnotherClient() {
  for (;;) {
    SocketHandle other = kNoSocket;
    const SocketError error = dialforge_platform::Accept(listenSocket, &other);
    if (!error) {
      closeSocket(other);
      Tracer::TRACE("Another client refused");
      return true;
    }
    if (dialforge_platform::KindOf(error.number) == SocketErrorKind::Interrupted) {
      continue;
    }
    if (IsPassingAcceptError(error.number)) {
      return true;
    }
    // Left waiting until this client has gone; the attempt after the pause sees the failure.
    Succeeded(error);
    return false;
  }
}

bool DialforgeSocket::ServeClient(SocketHandle descriptor) {
  ClientConnection connection(descriptor, wakePipe);
  if (!connection.Prepare()) {
    return false;
  }
  state.store(ListenerState::Serving);
  assembler.Reset();
  closeAfterReply = false;
  struct ClientScope {
    DialforgeSocket& socket;
    explicit ClientScope(DialforgeSocket& socket) : socket(socket) { socket.ClientBegins(); }
    ~ClientScope() { socket.ClientEnded(); }
  } clientScope(*this);
  bool watchingForOthers = true;
  // Until the connection has sent a byte it is no client: one that ends so (a port scan, a
  // program probing) or whose first message is a web request costs the next client no pause.
  bool sentAnything = false;
  for (;;) {
    size_t received = 0;
    const ClientConnection::Input input =
        connection.Receive(buffer, sizeof buffer - 1, watchingForOthers ? listenSocket : kNoSocket,
                           &received, outputSignal.ReadEnd());
    Outcome outcome = Outcome::KeepServing;
    switch (input) {
      case ClientConnection::Input::OutputWanted:
        outputSignal.Drain();
        outcome = SendPendingOutput(connection);
        if (outcome == Outcome::KeepServing) {
          continue;
        }
        break;
      case ClientConnection::Input::AnotherClient:
        watchingForOthers = RefuseAnotherClient();
        continue;
      case ClientConnection::Input::Failed:
        return sentAnything;
      case ClientConnection::Input::Woken:
        outcome = Outcome::Stopped;
        break;
      case ClientConnection::Input::Ended:
        Tracer::TRACE("Connection closed");
        // A client that half-closed still reads the reply to its last, unfinished line.
        assembler.Close();
        outcome = DeliverMessages(connection);
        if (outcome == Outcome::KeepServing) {
          return sentAnything;
        }
        break;
      case ClientConnection::Input::Received:
        Tracer::TRACE("%d bytes received %d", static_cast<int>(received),
                      static_cast<int>(sizeof buffer));
        assembler.Receive(buffer, received);
        outcome = DeliverMessages(connection);
        // A web request is refused before anything of it runs, so it is no client either.
        sentAnything = sentAnything || outcome != Outcome::Refused;
        if (outcome == Outcome::KeepServing) {
          Tracer::TRACE("All processed");
          continue;
        }
        break;
    }
    if (outcome == Outcome::Leaving) {
      // A client that said goodbye leaves no doubt: the next one is served at once.
      Tracer::TRACE("Client said goodbye");
      return false;
    }
    if (outcome == Outcome::Stopped) {
      CloseListenSocket();
      Tracer::TRACE("Listen socket closed");
      connection.Close();
      Tracer::TRACE("Client socket closed");
    }
    return sentAnything;
  }
}

DialforgeSocket::Outcome DialforgeSocket::DeliverMessages(ClientConnection& connection) {
  std::string message;
  for (;;) {
    switch (assembler.Next(message)) {
      case LineAssembler::Event::None:
        return Outcome::KeepServing;
      case LineAssembler::Event::MessageTooLong: {
        Tracer::TRACE("Message too long");
        const Outcome outcome = Send(connection, ReplyToTooLong());
        if (outcome != Outcome::KeepServing) {
          return outcome;
        }
        break;
      }
      case LineAssembler::Event::HttpRefused:
        Tracer::TRACE("Refused HTTP request");
        return Outcome::Refused;
      case LineAssembler::Event::Message: {
        if (!isListening.load()) {
          return Outcome::Stopped;
        }
        if (Tracer::IsOn()) {
          Tracer::TRACE("Processing message '%s'", Printable(message).c_str());
        }
        const std::string reply = ProcessMessage(std::move(message));
        message.clear();
        Outcome outcome = Send(connection, reply);
        if (outcome == Outcome::KeepServing && closeAfterReply) {
          return Outcome::Leaving;
        }
        if (outcome == Outcome::KeepServing) {
          outcome = SendPendingOutput(connection);
        }
        if (outcome != Outcome::KeepServing) {
          return outcome;
        }
        break;
      }
    }
  }
}

DialforgeSocket::Outcome DialforgeSocket::Send(ClientConnection& connection,
                                               const std::string& bytes) {
  if (bytes.empty()) {
    return Outcome::KeepServing;
  }
  Tracer::TRACE("Sending %d bytes", static_cast<int>(bytes.size()));
  const ClientConnection::Sent sent = connection.SendAll(bytes);
  if (sent == ClientConnection::Sent::Woken) {
    return Outcome::Stopped;
  }
  if (sent == ClientConnection::Sent::Failed) {
    // The client is gone; the next receive tells and ends the session.
    assembler.SkipRestOfChunk();
  }
  return Outcome::KeepServing;
}

DialforgeSocket::Outcome DialforgeSocket::SendPendingOutput(ClientConnection& connection) {
  return Send(connection, PendingOutput());
}

void DialforgeSocket::Pause() {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(retryPauseMs.load());
  // Only now: a test that sees the pause may change the length of the next one.
  state.store(ListenerState::Pausing);
  wakePipe.SleepUntil(deadline);
}

void DialforgeSocket::CloseListenSocket() {
  closeSocket(listenSocket);
  listenSocket = kNoSocket;
}

}  // namespace VazezeveDudOzizezUziriv
