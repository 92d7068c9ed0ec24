#include "client/Connection.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "client/ReplyReader.h"

namespace dialforge_client {

namespace platform = dialforge_platform;
using platform::kNoSocket;
using platform::SocketError;
using platform::SocketErrorKind;
using platform::SocketHandle;

namespace {

// Tries come quickly at first, then back off: each refused one is a trace line of the plug-in.
constexpr auto kFirstRetryInterval = std::chrono::milliseconds(50);
constexpr auto kLongestRetryInterval = std::chrono::milliseconds(500);
constexpr std::size_t kChunk = 65536;
// How long a probe's reply may take before the user is told why.
constexpr std::chrono::milliseconds kPatience(250);

const char* const kWaitingForPortFile = "waiting for the plug-in to write its port file ";
const char* const kWaitingForListener =
    "waiting for the plug-in to listen again (it pauses 5 s after each client)";
const char* const kWaitingForOtherClient =
    "waiting for the plug-in to finish with another client (it shares itself only among "
    "protocol 2 clients, and only with so many)";
const char* const kServingAnother = "another client is being served";

// The port the file names: nothing when there is no file, 0 when it holds no port.
std::optional<int> PortFromFile(const std::string& path) {
  std::ifstream file(path);
  if (!file) {
    return std::nullopt;
  }
  std::string digits;
  if (!std::getline(file, digits) || digits.empty() || digits.size() > 5 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  const int port = std::stoi(digits);
  return port <= 65535 ? port : 0;
}

// A connected, non-blocking socket, or kNoSocket with the error of the call that failed.
SocketHandle ConnectTo(int port, int* error) {
  SocketHandle socket = kNoSocket;
  SocketError failed = platform::OpenStreamSocket(&socket);
  if (!failed) {
    failed = platform::KeepFromChildren(socket);
  }
  while (!failed) {
    failed = platform::ConnectLoopback(socket, port);
    if (!failed || platform::KindOf(failed.number) != SocketErrorKind::Interrupted) {
      break;
    }
  }
  if (failed) {
    *error = failed.number;
    if (socket != kNoSocket) {
      platform::Close(socket);
    }
    return kNoSocket;
  }
  platform::SetNoDelay(socket);
  platform::SetNonBlocking(socket);
  return socket;
}

// Another try may succeed: the call was interrupted or has nothing yet.
bool Passing(const SocketError& error) {
  const SocketErrorKind kind = platform::KindOf(error.number);
  return kind == SocketErrorKind::Interrupted || kind == SocketErrorKind::WouldBlock;
}

std::string Failure(const SocketError& error) {
  return "the connection failed (" + platform::SocketErrorText(error.number) + ")";
}

enum class Probe { Served, Closed, Failed, Unauthorized };

// Reads the answers to the Hello (when offered) and to the probe as they arrive.
class ProbeAnswers {
 public:
  ProbeAnswers(const std::string& probeId, bool hello)
      : helloId(probeId + ".h"),
        probeReply(probeId + "|"),
        probeId(probeId),
        awaitingHello(hello) {}

  // Served once the probe's answer is in; Failed when the bytes are not the plug-in's answers.
  std::optional<Probe> Take(const std::string& bytes) {
    arrived += bytes;
    for (;;) {
      if (protocol == 2 || (awaitingHello && !arrived.empty() && arrived[0] == '{')) {
        const std::size_t end = arrived.find('\n');
        if (end == std::string::npos) {
          return std::nullopt;
        }
        const nlohmann::json answer = nlohmann::json::parse(arrived.substr(0, end), nullptr, false);
        arrived.erase(0, end + 1);
        if (!answer.is_object() || !answer.contains("id")) {
          return Probe::Failed;
        }
        if (protocol == 2) {
          return answer["id"] == probeId && arrived.empty() ? Probe::Served : Probe::Failed;
        }
        if (answer["id"] != helloId) {
          return Probe::Failed;
        }
        awaitingHello = false;
        if (answer.value("ok", false) && answer.value("protocol", 0) == 2) {
          protocol = 2;
        } else if (answer.value("error", std::string()) == "busy") {
          return Probe::Closed;
        } else if (answer.value("error", std::string()) == "unauthorized") {
          refusal = answer.value("message", std::string());
          return Probe::Unauthorized;
        }
        continue;
      }
      if (arrived.compare(0, probeReply.size(), probeReply, 0, arrived.size()) != 0 ||
          arrived.size() > probeReply.size()) {
        return Probe::Failed;
      }
      return arrived == probeReply ? std::optional<Probe>(Probe::Served) : std::nullopt;
    }
  }

  int Protocol() const { return protocol; }
  // The plug-in's message with an unauthorized answer.
  const std::string& Refusal() const { return refusal; }

 private:
  const std::string helloId;
  const std::string probeReply;
  const std::string probeId;
  bool awaitingHello;
  int protocol = 1;
  std::string arrived;
  std::string refusal;
};

// Waits for the probe's reply alone: nothing else has been sent. A connection made while the
// plug-in pauses after a client waits unserved until the pause ends, so a slow reply is said.
Probe AwaitProbe(Connection& connection, const ConnectSettings& settings, ProbeAnswers& answers,
                 std::string* problem) {
  bool said = false;
  for (;;) {
    std::string received;
    const auto timeout = said ? settings.replyTimeout : std::min(kPatience, settings.replyTimeout);
    switch (connection.Next(platform::kNoSocket, true, timeout, &received)) {
      case Connection::Event::Received:
        if (const std::optional<Probe> probe = answers.Take(received)) {
          if (*probe == Probe::Failed) {
            *problem = "the program on the port does not answer as the plug-in does";
          } else if (*probe == Probe::Closed) {
            *problem = kServingAnother;
          } else if (*probe == Probe::Unauthorized) {
            *problem = "the plug-in serves other clients and refused this one's token (" +
                       answers.Refusal() + ")";
          }
          return *probe;
        }
        break;
      case Connection::Event::Closed:
        *problem = kServingAnother;
        return Probe::Closed;
      case Connection::Event::Stalled:
        if (!said && timeout < settings.replyTimeout) {
          settings.note(kWaitingForListener);
          said = true;
          break;
        }
        *problem = "the plug-in accepted the connection but did not answer within " +
                   SecondsText(settings.replyTimeout);
        return Probe::Failed;
      case Connection::Event::InputReady:
        break;
    }
  }
}

}  // namespace

std::optional<std::string> TokenBeside(const std::string& portFile) {
  const std::size_t folderEnd = portFile.find_last_of("/\\");
  std::ifstream file(
      (folderEnd == std::string::npos ? std::string() : portFile.substr(0, folderEnd + 1)) +
      "socket.token");
  std::string digits;
  if (!file || !std::getline(file, digits)) {
    return std::nullopt;
  }
  if (!digits.empty() && digits.back() == '\r') {
    digits.pop_back();
  }
  if (digits.size() != 32 ||
      digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return std::nullopt;
  }
  return digits;
}

std::string SecondsText(std::chrono::milliseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000);
  return text;
}

Connection::Connection(SocketHandle socket) : socket(socket), lastProgress(Clock::now()) {}

Connection::~Connection() {
  platform::ShutDownAndClose(socket);
}

void Connection::Queue(const std::string& bytes) {
  if (queued.empty()) {
    lastProgress = Clock::now();
  }
  queued += bytes;
}

Connection::Event Connection::Next(SocketHandle input, bool awaitingReply,
                                   std::chrono::milliseconds replyTimeout, std::string* received) {
  for (;;) {
    platform::WatchedSocket waits[2] = {
        {socket, platform::kReadable | (queued.empty() ? 0u : platform::kWritable), 0},
        {input, platform::kReadable, 0}};
    int timeout = -1;
    if (awaitingReply || !queued.empty()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          lastProgress + replyTimeout - Clock::now());
      if (left.count() <= 0) {
        return Event::Stalled;
      }
      timeout = static_cast<int>(std::min<long long>(left.count(), 1 << 30));
    }
    SocketError waitError;
    const int ready =
        platform::WaitForSockets(waits, input == kNoSocket ? 1 : 2, timeout, &waitError);
    if (ready < 0 && platform::KindOf(waitError.number) != SocketErrorKind::Interrupted) {
      *received =
          std::string(waitError.call) + "() failed: " + platform::SocketErrorText(waitError.number);
      return Event::Closed;
    }
    if (ready <= 0) {
      continue;
    }
    if (waits[0].ready & (platform::kReadable | platform::kHangUp)) {
      char chunk[kChunk];
      std::size_t count = 0;
      const SocketError error = platform::Receive(socket, chunk, sizeof chunk, &count);
      if (!error && count > 0) {
        lastProgress = Clock::now();
        received->assign(chunk, count);
        return Event::Received;
      }
      if (!error || !Passing(error)) {
        *received = !error ? "the plug-in closed the connection" : Failure(error);
        return Event::Closed;
      }
    }
    if (waits[0].ready & platform::kWritable) {
      std::size_t count = 0;
      const SocketError error = platform::Send(socket, queued.data(), queued.size(), &count);
      if (!error && count > 0) {
        lastProgress = Clock::now();
        queued.erase(0, count);
      } else if (error && !Passing(error)) {
        *received = Failure(error);
        return Event::Closed;
      }
    }
    if (input != kNoSocket && (waits[1].ready & (platform::kReadable | platform::kHangUp))) {
      return Event::InputReady;
    }
  }
}

Connected ConnectServed(const ConnectSettings& settings, const std::string& probeId) {
  const platform::SocketsInUse socketsInUse;
  const auto deadline = Clock::now() + settings.connectTimeout;
  auto retryInterval = kFirstRetryInterval;
  std::string problem;
  bool busy = false;
  for (;;) {
    busy = false;
    const std::optional<int> port = settings.port ? settings.port : PortFromFile(settings.portFile);
    if (!port) {
      problem = "no port in " + settings.portFile;
      settings.note(kWaitingForPortFile + settings.portFile);
    } else if (*port == 0) {
      problem = "unreadable port file " + settings.portFile;
      settings.note(problem);
    } else {
      int error = 0;
      const SocketHandle socket = ConnectTo(*port, &error);
      if (socket == kNoSocket && !settings.port) {
        // The plug-in holds its port while the file exists: nobody there means a file left
        // behind, or a listener that failed and binds again after its pause.
        problem = "nothing listens on port " + std::to_string(*port) +
                  " (stale port file? is the host running?)";
        settings.note(problem);
      } else if (socket == kNoSocket) {
        // The plug-in listens through its pause too: a refusal means nobody listens there.
        problem = "nothing accepts connections on port " + std::to_string(*port) + " (" +
                  platform::SocketErrorText(error) + ")";
        settings.note("nothing listens on port " + std::to_string(*port) +
                      " (is the host running? is it the port the plug-in wrote?)");
      } else {
        auto connection = std::make_unique<Connection>(socket);
        ProbeAnswers answers(probeId, settings.hello);
        if (settings.hello) {
          std::optional<std::string> token = settings.token;
          if (!token && !settings.port) {
            token = TokenBeside(settings.portFile);
          }
          connection->Queue(probeId + ".h|Hello|2" + (token ? "|" + *token : std::string()) + "\n");
        }
        connection->Queue(probeId + "|GetParameters|" + kSentinelSnapshot + "\n");
        switch (AwaitProbe(*connection, settings, answers, &problem)) {
          case Probe::Served:
            return {std::move(connection), answers.Protocol(), std::string(), false};
          case Probe::Failed:
            return {nullptr, 0, problem, false};
          case Probe::Unauthorized:
            return {nullptr, 0, problem, false, true};
          case Probe::Closed:
            busy = true;
            settings.note(kWaitingForOtherClient);
            break;
        }
      }
    }
    const auto now = Clock::now();
    if (now >= deadline) {
      return {nullptr, 0,
              "no plug-in answered within " + SecondsText(settings.connectTimeout) + " (" +
                  problem + ")",
              busy};
    }
    std::this_thread::sleep_for(std::min<Clock::duration>(retryInterval, deadline - now));
    retryInterval = std::min(retryInterval * 2, kLongestRetryInterval);
  }
}

}  // namespace dialforge_client
