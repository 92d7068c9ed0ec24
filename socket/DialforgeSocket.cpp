#include "socket/DialforgeSocket.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>
#include <utility>

#include "platform/DataFolder.h"
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

DialforgeSocket::DialforgeSocket() : tokenFile(HomeFolder()), portFile(HomeFolder()) {}

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
  tokenFile.Withdraw();
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
    tokenFile.RepublishIfMissing();
    portFile.RepublishIfMissing(port.load());
  }
  Tracer::TRACE("Listening...");
  state.store(ListenerState::Listening);
  const SocketHandle client = AcceptClient();
  // A failed accept pauses: the failure may repeat at once.
  return client == kNoSocket || ServeClients(client);
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
  // Only now: a client that reads the port file must find the port listening, and the token
  // beside it.
  tokenFile.Publish();
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
      tokenFile.RepublishIfMissing();
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

SocketHandle DialforgeSocket::TakeAnother(bool* sound) {
  for (;;) {
    SocketHandle other = kNoSocket;
    const SocketError error = dialforge_platform::Accept(listenSocket, &other);
    if (!error) {
      return other;
    }
    if (dialforge_platform::KindOf(error.number) == SocketErrorKind::Interrupted) {
      continue;
    }
    if (!IsPassingAcceptError(error.number)) {
      // Left waiting until the clients have gone; the attempt after the pause sees the failure.
      Succeeded(error);
      *sound = false;
    }
    return kNoSocket;
  }
}

bool DialforgeSocket::RefuseAnotherClient() {
  bool sound = true;
  const SocketHandle other = TakeAnother(&sound);
  if (other != kNoSocket) {
    closeSocket(other);
    Tracer::TRACE("Another client refused");
  }
  return sound;
}

void DialforgeSocket::TakeCandidate(bool* watchingForOthers) {
  const SocketHandle other = TakeAnother(watchingForOthers);
  if (other == kNoSocket) {
    return;
  }
  auto candidate = std::make_unique<ServedClient>(other, ServedClient::kCandidate);
  if (candidate->connection.Prepare()) {
    clients.push_back(std::move(candidate));
  }
}

bool DialforgeSocket::ServeClients(SocketHandle descriptor) {
  auto first = std::make_unique<ServedClient>(descriptor, 0);
  if (!first->connection.Prepare()) {
    return false;
  }
  state.store(ListenerState::Serving);
  closeAfterReply = false;
  clients.clear();
  clients.push_back(std::move(first));
  // Whatever ends the serving, an exception of a subclass included, every client is ended.
  struct ClientsScope {
    DialforgeSocket& socket;
    ~ClientsScope() { socket.CloseEveryClient(); }
  } clientsScope{*this};
  BeginClient(*clients.front());
  bool watchingForOthers = true;
  // Until the connection has sent a byte it is no client: one that ends so (a port scan, a
  // program probing) or whose first message is a web request costs the next client no pause.
  // Only the last client to leave decides.
  bool pauseDue = false;
  std::vector<dialforge_platform::WatchedSocket> watched;
  for (;;) {
    watched.clear();
    for (const auto& client : clients) {
      unsigned wanted = 0;
      if (client->reading && !client->inputPending && !client->Full()) {
        wanted |= dialforge_platform::kReadable;
      }
      if (client->Queued() > 0) {
        wanted |= dialforge_platform::kWritable;
      }
      watched.push_back({wanted != 0 ? client->connection.Handle() : kNoSocket, wanted, 0});
    }
    const size_t count = clients.size();
    watched.push_back(
        {watchingForOthers ? listenSocket : kNoSocket, dialforge_platform::kReadable, 0});
    watched.push_back({outputSignal.ReadEnd(), dialforge_platform::kReadable, 0});
    const WakePipe::Wait wait = wakePipe.WaitFor(watched, NextWaitMs(ServedClient::Clock::now()));
    if (wait == WakePipe::Wait::Failed) {
      return true;
    }
    if (wait == WakePipe::Wait::Woken) {
      CloseListenSocket();
      Tracer::TRACE("Listen socket closed");
      for (const auto& client : clients) {
        client->connection.Close();
        Tracer::TRACE("Client socket closed");
      }
      return true;
    }
    const unsigned wantedOut = dialforge_platform::kWritable | dialforge_platform::kHangUp;
    const unsigned wantedIn = dialforge_platform::kReadable | dialforge_platform::kHangUp;
    for (size_t i = 0; i < count; ++i) {
      ServedClient& client = *clients[i];
      if ((watched[i].ready & wantedOut) != 0 && client.Queued() > 0) {
        if (!client.Flush()) {
          // The client is gone; its next receive tells.
          client.assembler.SkipRestOfChunk();
        }
        OfferOutput(client);
      }
    }
    if (watched[count + 1].ready != 0) {
      outputSignal.Drain();
      for (size_t i = 0; i < count; ++i) {
        OfferOutput(*clients[i]);
      }
    }
    for (size_t i = 0; i < count; ++i) {
      if ((watched[i].wanted & dialforge_platform::kReadable) != 0 &&
          (watched[i].ready & wantedIn) != 0) {
        Receive(*clients[i]);
      }
    }
    for (size_t i = 0; i < count && isListening.load(); ++i) {
      ServedClient& client = *clients[i];
      if (client.Full() || client.closed) {
        continue;
      }
      if (client.replyContinues) {
        ContinueOne(client);
      } else if (client.inputPending) {
        DeliverOne(client);
      }
    }
    CloseOverdue(ServedClient::Clock::now());
    for (size_t i = 0; i < clients.size();) {
      ServedClient& client = *clients[i];
      if (!client.Finished()) {
        ++i;
        continue;
      }
      if (!client.IsCandidate()) {
        if (client.saidGoodbye) {
          // A client that said goodbye leaves no doubt: the next one is served at once.
          Tracer::TRACE("Client said goodbye");
        }
        pauseDue = client.sentAnything && !client.saidGoodbye;
        EndClient(client);
      }
      clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (ServedCount() == 0) {
      return pauseDue;
    }
    // Only once the clients that have gone are gone: the connection may be the next client.
    if (watched[count].ready != 0) {
      if (SharingOpen() && clients.size() - ServedCount() < mostClients.load()) {
        TakeCandidate(&watchingForOthers);
      } else {
        watchingForOthers = RefuseAnotherClient();
      }
    }
  }
}

int DialforgeSocket::NextWaitMs(ServedClient::Clock::time_point now) const {
  ServedClient::Clock::time_point next = ServedClient::Clock::time_point::max();
  for (const auto& client : clients) {
    if ((client->inputPending || client->replyContinues) && !client->Full() && !client->closed) {
      return 0;
    }
    if (client->IsCandidate()) {
      next = std::min(next, client->since + std::chrono::milliseconds(firstLineMs.load()));
    } else if (client->Full()) {
      next = std::min(next, client->since + std::chrono::milliseconds(slowClientMs.load()));
    }
  }
  if (next == ServedClient::Clock::time_point::max()) {
    return -1;
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
  return static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(left + 1, INT_MAX)));
}

void DialforgeSocket::CloseOverdue(ServedClient::Clock::time_point now) {
  for (const auto& client : clients) {
    if (client->closed) {
      continue;
    }
    if (client->IsCandidate() &&
        now >= client->since + std::chrono::milliseconds(firstLineMs.load())) {
      Tracer::TRACE("Another client refused");
      client->closed = true;
    } else if (client->Full() &&
               now >= client->since + std::chrono::milliseconds(slowClientMs.load())) {
      Tracer::TRACE("Client too slow: closed");
      client->closed = true;
    }
  }
}

void DialforgeSocket::Receive(ServedClient& client) {
  size_t received = 0;
  switch (
      client.connection.Receive(client.buffer.get(), ServedClient::kBufferSize - 1, &received)) {
    case ClientConnection::Input::Nothing:
      return;
    case ClientConnection::Input::Failed:
      client.closed = true;
      return;
    case ClientConnection::Input::Ended:
      Tracer::TRACE("Connection closed");
      // A client that half-closed still reads the reply to its last, unfinished line.
      client.assembler.Close();
      client.reading = false;
      client.chunkReceived = false;
      break;
    case ClientConnection::Input::Received:
      Tracer::TRACE("%d bytes received %d", static_cast<int>(received),
                    static_cast<int>(ServedClient::kBufferSize));
      client.assembler.Receive(client.buffer.get(), received);
      client.chunkReceived = true;
      client.sentBeforeChunk = client.sentAnything;
      client.sentAnything = true;
      break;
  }
  client.inputPending = true;
}

void DialforgeSocket::DeliverOne(ServedClient& client) {
  std::string message;
  switch (client.assembler.Next(message)) {
    case LineAssembler::Event::None:
      client.inputPending = false;
      if (client.chunkReceived) {
        Tracer::TRACE("All processed");
      }
      if (client.IsCandidate() && !client.reading) {
        Refuse(client, std::string());
      }
      return;
    case LineAssembler::Event::MessageTooLong:
      Tracer::TRACE("Message too long");
      if (client.IsCandidate()) {
        Refuse(client, std::string());
      } else {
        currentClient = client.slot;
        Send(client, ReplyToTooLong());
      }
      return;
    case LineAssembler::Event::HttpRefused:
      Tracer::TRACE("Refused HTTP request");
      // A web request is refused before anything of it runs, so it is no client either.
      client.sentAnything = client.sentBeforeChunk;
      client.reading = false;
      client.inputPending = false;
      return;
    case LineAssembler::Event::Message:
      break;
  }
  if (client.IsCandidate() && !Admits(client, message)) {
    return;
  }
  if (Tracer::IsOn()) {
    std::string traced = Printable(message);
    tokenFile.Hide(traced);
    Tracer::TRACE("Processing message '%s'", traced.c_str());
  }
  currentClient = client.slot;
  closeAfterReply = false;
  replyContinues = false;
  const std::string reply = ProcessMessage(std::move(message));
  Send(client, reply);
  client.replyContinues = std::exchange(replyContinues, false);
  if (client.replyContinues) {
    return;
  }
  if (closeAfterReply) {
    closeAfterReply = false;
    client.saidGoodbye = true;
    client.reading = false;
    client.inputPending = false;
    return;
  }
  OfferOutput(client);
}

void DialforgeSocket::ContinueOne(ServedClient& client) {
  currentClient = client.slot;
  replyContinues = false;
  Send(client, ContinueReply());
  client.replyContinues = std::exchange(replyContinues, false);
  if (!client.replyContinues) {
    OfferOutput(client);
  }
}

bool DialforgeSocket::Admits(ServedClient& client, const std::string& firstLine) {
  const size_t served = ServedCount();
  const bool full = served >= mostClients.load();
  std::string reply;
  if (AdmitAnother(firstLine, full, &reply) != Admission::Admit || full) {
    Refuse(client, reply);
    return false;
  }
  std::vector<bool> taken(kMostClients, false);
  for (const auto& other : clients) {
    if (!other->IsCandidate()) {
      taken[other->slot] = true;
    }
  }
  client.slot = static_cast<size_t>(std::find(taken.begin(), taken.end(), false) - taken.begin());
  BeginClient(client);
  return true;
}

void DialforgeSocket::Refuse(ServedClient& client, const std::string& reply) {
  Send(client, reply);
  Tracer::TRACE("Another client refused");
  client.reading = false;
  client.inputPending = false;
}

void DialforgeSocket::Send(ServedClient& client, const std::string& bytes) {
  if (bytes.empty()) {
    return;
  }
  Tracer::TRACE("Sending %d bytes", static_cast<int>(bytes.size()));
  if (!client.Queue(bytes)) {
    // The client is gone; the next receive tells and ends the session.
    client.assembler.SkipRestOfChunk();
  }
}

void DialforgeSocket::OfferOutput(ServedClient& client) {
  // Events wait at their source, newest state replacing older, until the client has taken all
  // it was sent.
  if (client.IsCandidate() || client.closed || client.saidGoodbye || client.replyContinues ||
      client.Queued() > 0) {
    return;
  }
  currentClient = client.slot;
  Send(client, PendingOutput());
}

void DialforgeSocket::BeginClient(ServedClient& client) {
  currentClient = client.slot;
  ClientBegins();
}

void DialforgeSocket::EndClient(ServedClient& client) {
  client.connection.Close();
  currentClient = client.slot;
  ClientEnded();
}

size_t DialforgeSocket::ServedCount() const {
  return static_cast<size_t>(std::count_if(
      clients.begin(), clients.end(), [](const auto& client) { return !client->IsCandidate(); }));
}

void DialforgeSocket::CloseEveryClient() {
  for (const auto& client : clients) {
    if (!client->IsCandidate()) {
      EndClient(*client);
    }
  }
  clients.clear();
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
