#include "socket/DialforgeSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>

#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kPortFileName = "/.local/share/Dialforge/PluginData/PremierePro/socket.port";
constexpr const char* kLoopbackAddress = "127.0.0.1";
constexpr int kListenBacklog = 128;
constexpr const char* kStartIgnored = "Listener already running; start ignored";

// A client that goes away must never raise SIGPIPE in the host's process. macOS says so once per
// socket, with SO_NOSIGPIPE when the client is accepted; elsewhere each send says so.
#if defined(__APPLE__)
constexpr int kSendFlags = 0;
#elif defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
#error "No way to keep send() from raising SIGPIPE on this system"
#endif

std::string PortFilePathFromHome() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    return std::string();
  }
  return std::string(home) + kPortFileName;
}

bool WouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}

// Close-on-exec, so that a process the host starts inherits no socket; non-blocking where a wait
// must be woken by a stop, which only poll() can combine with the socket's own readiness.
bool PrepareDescriptor(int descriptor, bool nonBlocking) {
  const int descriptorFlags = fcntl(descriptor, F_GETFD);
  if (descriptorFlags == -1 || fcntl(descriptor, F_SETFD, descriptorFlags | FD_CLOEXEC) == -1) {
    Tracer::TRACE("fcntl() failed with error %d", errno);
    return false;
  }
  if (!nonBlocking) {
    return true;
  }
  const int statusFlags = fcntl(descriptor, F_GETFL);
  if (statusFlags == -1 || fcntl(descriptor, F_SETFL, statusFlags | O_NONBLOCK) == -1) {
    Tracer::TRACE("fcntl() failed with error %d", errno);
    return false;
  }
  return true;
}

void SetOption(int descriptor, int level, int option) {
  const int on = 1;
  if (setsockopt(descriptor, level, option, &on, sizeof on) == -1) {
    Tracer::TRACE("setsockopt() failed with error %d", errno);
  }
}

}  // namespace

DialforgeSocket::DialforgeSocket() : portFilePath(PortFilePathFromHome()) {}

DialforgeSocket::~DialforgeSocket() {
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
  if (!OpenWakePipe()) {
    return;
  }
  isListening.store(true);
  state.store(ListenerState::Opening);
  try {
    listenerThread = std::thread(&DialforgeSocket::BackgroundThread, this);
  } catch (const std::exception&) {
    isListening.store(false);
    state.store(ListenerState::Idle);
    CloseWakePipe();
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

bool DialforgeSocket::OpenWakePipe() {
  int ends[2];
  if (pipe(ends) == -1) {
    Tracer::TRACE("pipe() failed with error %d", errno);
    return false;
  }
  if (!PrepareDescriptor(ends[0], false) || !PrepareDescriptor(ends[1], true)) {
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  wakeReadEnd = ends[0];
  wakeWriteEnd = ends[1];
  return true;
}

void DialforgeSocket::CloseWakePipe() {
  close(wakeReadEnd);
  close(wakeWriteEnd);
  wakeReadEnd = wakeWriteEnd = -1;
}

void DialforgeSocket::RequestStop() {
  isListening.store(false);
  if (wakeWriteEnd == -1) {
    return;
  }
  // The byte is never read: the pipe stays readable and wakes every later wait as well.
  const char wake = 1;
  while (write(wakeWriteEnd, &wake, 1) == -1 && errno == EINTR) {
  }
}

void DialforgeSocket::JoinListenerThread() {
  if (listenerThread.joinable()) {
    listenerThread.join();
    CloseWakePipe();
  }
}

void DialforgeSocket::BackgroundThread() {
  listenerThreadId.store(std::this_thread::get_id());
  Tracer::TRACE("Background thread started");
  RunAttempt();
  while (isListening.load()) {
    state.store(ListenerState::Pausing);
    Pause();
    if (isListening.load()) {
      RunAttempt();
    }
  }
  state.store(ListenerState::Ending);
  DeletePortFile();
  Tracer::TRACE("Background thread exited");
  listenerThreadId.store(std::thread::id());
  state.store(ListenerState::Idle);
}

void DialforgeSocket::RunAttempt() {
  // Nothing may escape the thread: a subclass's ProcessMessage or an allocation that fails ends
  // this attempt only.
  try {
    StartListeningOne();
  } catch (const std::exception& error) {
    Tracer::TRACE("Listener attempt failed: %s", error.what());
  } catch (...) {
    Tracer::TRACE("Listener attempt failed");
  }
  if (listenSocket != -1) {
    CloseListenSocket();
  }
  if (clientSocket != -1) {
    CloseClientSocket();
  }
}

void DialforgeSocket::StartListeningOne() {
  state.store(ListenerState::Opening);
  listenSocket = -1;
  clientSocket = -1;
  char portText[16];
  std::snprintf(portText, sizeof portText, "%d", port.load());
  Tracer::TRACE("Opening port %s (%d)", portText, port.load());
  if (OpenListeningSocket(portText) && AcceptClient()) {
    ServeClient();
  }
}

bool DialforgeSocket::OpenListeningSocket(const char* portText) {
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
  // The connections this side closed linger in TIME_WAIT; without this every retry on the same
  // port would fail for a minute. It never lets two listeners share the port.
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
  WritePortFile();
  Tracer::TRACE("Listening...");
  state.store(ListenerState::Listening);
  return true;
}

void DialforgeSocket::WritePortFile() {
  if (portFilePath.empty()) {
    Tracer::TRACE("HOME is not set; no port file");
    return;
  }
  std::ofstream file(portFilePath, std::ios::out | std::ios::trunc);
  if (!file.is_open()) {
    Tracer::TRACE("File open failed: %s", portFilePath.c_str());
    return;
  }
  // Not the stream's number formatting: a host's global locale could group the digits.
  file << std::to_string(port.load());
  file.close();
  if (!file) {
    Tracer::TRACE("File write failed: %s", portFilePath.c_str());
  }
}

void DialforgeSocket::DeletePortFile() {
  if (portFilePath.empty()) {
    return;
  }
  if (std::remove(portFilePath.c_str()) != 0) {
    Tracer::TRACE("File delete failed: %s", portFilePath.c_str());
  }
}

bool DialforgeSocket::AcceptClient() {
  for (;;) {
    const Wait wait = WaitFor(listenSocket, POLLIN);
    if (wait == Wait::Woken) {
      CloseListenSocket();
      Tracer::TRACE("Listen socket closed");
      return false;
    }
    if (wait == Wait::Failed) {
      CloseListenSocket();
      return false;
    }
    const int client = accept(listenSocket, nullptr, nullptr);
    if (client != -1) {
      clientSocket = client;
      break;
    }
    const int error = errno;
    // The connection may have gone again between poll() and accept().
    if (error == EINTR || WouldBlock(error) || error == ECONNABORTED) {
      continue;
    }
    Tracer::TRACE("accept() failed with error %d", error);
    CloseListenSocket();
    return false;
  }
  // One client at a time: nobody else can connect until the next attempt.
  CloseListenSocket();
  if (!PrepareDescriptor(clientSocket, true)) {
    CloseClientSocket();
    return false;
  }
  // A reply must not wait for the client's acknowledgement of the previous one.
  SetOption(clientSocket, IPPROTO_TCP, TCP_NODELAY);
#if defined(__APPLE__)
  // Without it a send to a client that has gone would end the host.
  const int on = 1;
  if (setsockopt(clientSocket, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on) == -1) {
    Tracer::TRACE("setsockopt() failed with error %d", errno);
    CloseClientSocket();
    return false;
  }
#endif
  state.store(ListenerState::Serving);
  return true;
}

void DialforgeSocket::ServeClient() {
  assembler.Reset();
  for (;;) {
    const Wait wait = WaitFor(clientSocket, POLLIN);
    if (wait == Wait::Woken) {
      CloseClientSocket();
      Tracer::TRACE("Client socket closed");
      return;
    }
    if (wait == Wait::Failed) {
      CloseClientSocket();
      return;
    }
    const ssize_t received = recv(clientSocket, buffer, sizeof buffer - 1, 0);
    if (received == -1) {
      const int error = errno;
      if (error == EINTR || WouldBlock(error)) {
        continue;
      }
      Tracer::TRACE("recv() failed with error %d", error);
      CloseClientSocket();
      return;
    }
    if (received == 0) {
      Tracer::TRACE("Connection closed");
      // A client that half-closed still reads the reply to its last, unfinished line.
      assembler.Close();
      const Outcome outcome = DeliverMessages();
      CloseClientSocket();
      if (outcome == Outcome::Stopped) {
        Tracer::TRACE("Client socket closed");
      }
      return;
    }
    Tracer::TRACE("%d bytes received %d", static_cast<int>(received),
                  static_cast<int>(sizeof buffer));
    assembler.Receive(buffer, static_cast<size_t>(received));
    const Outcome outcome = DeliverMessages();
    if (outcome != Outcome::KeepServing) {
      CloseClientSocket();
      if (outcome == Outcome::Stopped) {
        Tracer::TRACE("Client socket closed");
      }
      return;
    }
    Tracer::TRACE("All processed");
  }
}

DialforgeSocket::Outcome DialforgeSocket::DeliverMessages() {
  std::string message;
  for (;;) {
    switch (assembler.Next(message)) {
      case LineAssembler::Event::None:
        return Outcome::KeepServing;
      case LineAssembler::Event::MessageTooLong:
        Tracer::TRACE("Message too long");
        break;
      case LineAssembler::Event::HttpRefused:
        Tracer::TRACE("Refused HTTP request");
        return Outcome::Refused;
      case LineAssembler::Event::Message: {
        if (!isListening.load()) {
          return Outcome::Stopped;
        }
        Tracer::TRACE("Processing message '%s'", message.c_str());
        const std::string reply = ProcessMessage(std::move(message));
        message.clear();
        if (reply.empty()) {
          break;
        }
        Tracer::TRACE("Sending %d bytes", static_cast<int>(reply.size()));
        const Sent sent = SendReply(reply);
        if (sent == Sent::Stopped) {
          return Outcome::Stopped;
        }
        if (sent == Sent::Failed) {
          // The client is gone; the next receive tells and ends the attempt.
          assembler.SkipRestOfChunk();
          return Outcome::KeepServing;
        }
        break;
      }
    }
  }
}

DialforgeSocket::Sent DialforgeSocket::SendReply(const std::string& reply) {
  const char* data = reply.data();
  size_t remaining = reply.size();
  while (remaining > 0) {
    const ssize_t sent = send(clientSocket, data, remaining, kSendFlags);
    if (sent >= 0) {
      data += sent;
      remaining -= static_cast<size_t>(sent);
      continue;
    }
    const int error = errno;
    if (error == EINTR) {
      continue;
    }
    if (WouldBlock(error)) {
      const Wait wait = WaitFor(clientSocket, POLLOUT);
      if (wait == Wait::Woken) {
        return Sent::Stopped;
      }
      if (wait == Wait::Failed) {
        return Sent::Failed;
      }
      continue;
    }
    Tracer::TRACE("send() failed with error %d", error);
    return Sent::Failed;
  }
  return Sent::All;
}

DialforgeSocket::Wait DialforgeSocket::WaitFor(int descriptor, short events) {
  pollfd watched[2] = {{descriptor, events, 0}, {wakeReadEnd, POLLIN, 0}};
  for (;;) {
    if (poll(watched, 2, -1) > 0) {
      break;
    }
    const int error = errno;
    if (error != EINTR && error != EAGAIN) {
      Tracer::TRACE("poll() failed with error %d", error);
      return Wait::Failed;
    }
  }
  return watched[1].revents != 0 ? Wait::Woken : Wait::Ready;
}

void DialforgeSocket::Pause() {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(retryPauseMs.load());
  for (;;) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) {
      return;
    }
    pollfd wake = {wakeReadEnd, POLLIN, 0};
    const int ready =
        poll(&wake, 1, static_cast<int>(std::min<std::int64_t>(remaining.count(), INT_MAX)));
    if (ready > 0) {
      return;
    }
    const int error = errno;
    if (ready == -1 && error != EINTR && error != EAGAIN) {
      Tracer::TRACE("poll() failed with error %d", error);
      std::this_thread::sleep_until(deadline);
      return;
    }
  }
}

void DialforgeSocket::CloseListenSocket() {
  closeSocket(listenSocket);
  listenSocket = -1;
}

void DialforgeSocket::CloseClientSocket() {
  closeSocket(clientSocket);
  clientSocket = -1;
}

}  // namespace VazezeveDudOzizezUziriv
