#include "socket/DialforgeSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "socket/ClientConnection.h"
#include "socket/DescriptorOptions.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kLoopbackAddress = "127.0.0.1";
constexpr int kListenBacklog = 128;
constexpr const char* kStartIgnored = "Listener already running; start ignored";

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::string(home) : std::string();
}

// The connection went away before it was taken, or the network had a passing fault; the
// listening socket itself is sound.
bool IsPassingAcceptError(int error) {
  switch (error) {
    case EINTR:
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOPROTOOPT:
      return true;
    default:
      return false;
  }
}

// The process or the system is short of something; the listening socket itself is sound.
bool IsShortageAcceptError(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
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

void DialforgeSocket::closeSocket(int descriptor) {
  shutdown(descriptor, SHUT_RDWR);
  close(descriptor);
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
  if (listenSocket != -1) {
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
  if (listenSocket == -1) {
    state.store(ListenerState::Opening);
    if (!OpenListeningSocket()) {
      return true;
    }
  } else {
    portFile.RepublishIfMissing(port.load());
  }
  Tracer::TRACE("Listening...");
  state.store(ListenerState::Listening);
  const int client = AcceptClient();
  // A failed accept pauses: the failure may repeat at once.
  return client == -1 || ServeClient(client);
}

bool DialforgeSocket::OpenListeningSocket() {
  char portText[16];
  std::snprintf(portText, sizeof portText, "%d", port.load());
  Tracer::TRACE("Opening port %s (%d)", portText, port.load());
  addrinfo hints{};
  hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  const int resolved = getaddrinfo(kLoopbackAddress, portText, &hints, &addresses);
  if (resolved != 0) {
    Tracer::TRACE("getaddrinfo() failed with error %d", resolved);
    return false;
  }
  listenSocket = socket(addresses->ai_family, addresses->ai_socktype, addresses->ai_protocol);
  if (listenSocket == -1) {
    const int error = errno;
    freeaddrinfo(addresses);
    Tracer::TRACE("socket() failed with error %d", error);
    return false;
  }
  if (!PrepareDescriptor(listenSocket, true)) {
    freeaddrinfo(addresses);
    CloseListenSocket();
    return false;
  }
  // Past clients' connections linger in TIME_WAIT on this port; without this, binding it again
  // after a failure of the listening socket would fail for a minute. It never lets another
  // program take the port from us while we listen: Linux lets no socket bind an address and port
  // that a socket listens on, whatever its options. macOS lets a socket with SO_REUSEADDR bind
  // the wildcard address on our port, but a connection to 127.0.0.1 still reaches the most
  // specific binding, ours; binding 127.0.0.1 itself would need SO_REUSEPORT on both sockets,
  // which we never set.
  SetOption(listenSocket, SOL_SOCKET, SO_REUSEADDR);
  const int bound = bind(listenSocket, addresses->ai_addr, addresses->ai_addrlen);
  const int bindError = errno;
  freeaddrinfo(addresses);
  if (bound == -1) {
    Tracer::TRACE("bind() failed with error %d", bindError);
    CloseListenSocket();
    return false;
  }
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (getsockname(listenSocket, reinterpret_cast<sockaddr*>(&local), &length) == -1) {
    Tracer::TRACE("getsockname() failed with error %d", errno);
    CloseListenSocket();
    return false;
  }
  port.store(ntohs(local.sin_port));
  Tracer::TRACE("Local port %d", port.load());
  char addressText[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &local.sin_addr, addressText, sizeof addressText);
  Tracer::TRACE("Local address '%s'", addressText);
  if (listen(listenSocket, kListenBacklog) == -1) {
    Tracer::TRACE("listen() failed with error %d", errno);
    CloseListenSocket();
    return false;
  }
  // Only now: a client that reads the port file must find the port listening.
  portFile.Publish(port.load());
  return true;
}

int DialforgeSocket::AcceptClient() {
  for (;;) {
    pollfd watched[1] = {{listenSocket, POLLIN, 0}};
    const WakePipe::Wait wait = wakePipe.WaitFor(
        watched, static_cast<int>(std::min<std::int64_t>(portFileCheckMs.load(), INT_MAX)));
    if (wait == WakePipe::Wait::Woken || wait == WakePipe::Wait::Failed) {
      return -1;
    }
    if (wait == WakePipe::Wait::TimedOut) {
      portFile.RepublishIfMissing(port.load());
      continue;
    }
    const int client = accept(listenSocket, nullptr, nullptr);
    if (client != -1) {
      return client;
    }
    const int error = errno;
    if (IsPassingAcceptError(error)) {
      continue;
    }
    Tracer::TRACE("accept() failed with error %d", error);
    // A shortage passes with time and keeps the port; anything else is the listening socket's
    // own failure, and the next attempt binds the port anew.
    if (!IsShortageAcceptError(error)) {
      CloseListenSocket();
    }
    return -1;
  }
}

bool DialforgeSocket::RefuseAnotherClient() {
  for (;;) {
    const int other = accept(listenSocket, nullptr, nullptr);
    if (other != -1) {
      closeSocket(other);
      Tracer::TRACE("Another client refused");
      return true;
    }
    const int error = errno;
    if (error == EINTR) {
      continue;
    }
    if (IsPassingAcceptError(error)) {
      return true;
    }
    // Left waiting until this client has gone; the attempt after the pause sees the failure.
    Tracer::TRACE("accept() failed with error %d", error);
    return false;
  }
}

bool DialforgeSocket::ServeClient(int descriptor) {
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
        connection.Receive(buffer, sizeof buffer - 1, watchingForOthers ? listenSocket : -1,
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
  listenSocket = -1;
}

}  // namespace VazezeveDudOzizezUziriv
