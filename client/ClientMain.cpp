// dialforge-client: sends requests to the plug-in, as the companion application does, and prints
// the replies to snapshot requests.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "client/SnapshotJson.h"

namespace {

constexpr const char* kPortFile = "/.local/share/Dialforge/PluginData/PremierePro/socket.port";

struct Options {
  std::string home;
  std::optional<int> port;
  int waitMs = 200;
  double connectTimeoutSeconds = 6.0;
  bool json = false;
  std::vector<std::string> requests;
};

const char* const kUsage =
    "usage: dialforge-client [--home DIR | --port N] [--wait MS] [--connect-timeout S] [--json]\n"
    "                        [REQUEST ...]\n"
    "Sends each REQUEST (or each line of standard input) to the plug-in and prints the reply of\n"
    "every GetParameters request. The port comes from the port file under DIR (default $HOME).\n";

[[noreturn]] void Fail(int status, const std::string& message) {
  std::cerr << "dialforge-client: " << message << "\n";
  std::exit(status);
}

int ReadNumber(const std::string& text, const char* option) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 65535000) {
    Fail(2, std::string("bad value for ") + option + ": '" + text + "'\n" + kUsage);
  }
  return static_cast<int>(value);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  if (const char* home = std::getenv("HOME")) {
    options.home = home;
  }
  for (int at = 1; at < argc; ++at) {
    const std::string argument = argv[at];
    const auto value = [&]() -> std::string {
      if (at + 1 >= argc) {
        Fail(2, argument + " needs a value\n" + kUsage);
      }
      return argv[++at];
    };
    if (argument == "--home") {
      options.home = value();
    } else if (argument == "--port") {
      options.port = ReadNumber(value(), "--port");
      if (*options.port == 0 || *options.port > 65535) {
        Fail(2, std::string("bad value for --port\n") + kUsage);
      }
    } else if (argument == "--wait") {
      options.waitMs = ReadNumber(value(), "--wait");
    } else if (argument == "--connect-timeout") {
      options.connectTimeoutSeconds = ReadNumber(value(), "--connect-timeout");
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (argument.size() > 1 && argument.compare(0, 2, "--") == 0) {
      Fail(2, "unknown option " + argument + "\n" + kUsage);
    } else {
      options.requests.push_back(argument);
    }
  }
  return options;
}

// The port in the port file, or why there is none.
std::optional<int> PortFromFile(const std::string& path, std::string* problem) {
  std::ifstream file(path);
  if (!file) {
    *problem = "no port file " + path;
    return std::nullopt;
  }
  std::string digits;
  std::getline(file, digits);
  char* end = nullptr;
  const long port = std::strtol(digits.c_str(), &end, 10);
  if (digits.empty() || *end != '\0' || port <= 0 || port > 65535) {
    *problem = "port file " + path + " holds no port";
    return std::nullopt;
  }
  return static_cast<int>(port);
}

int ConnectTo(int port, std::string* problem) {
  const int descriptor = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (descriptor < 0) {
    *problem = std::string("socket() failed: ") + std::strerror(errno);
    return -1;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *problem = "nothing accepts on port " + std::to_string(port) + ": " + std::strerror(errno);
    close(descriptor);
    return -1;
  }
  const int on = 1;
  setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return descriptor;
}

// The plug-in listens again only a while after each client leaves, so keep trying.
int Connect(const Options& options) {
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::milliseconds(static_cast<long>(options.connectTimeoutSeconds * 1000));
  std::string problem;
  for (;;) {
    const std::optional<int> port =
        options.port ? options.port : PortFromFile(options.home + kPortFile, &problem);
    if (port) {
      const int descriptor = ConnectTo(*port, &problem);
      if (descriptor >= 0) {
        return descriptor;
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      Fail(1, "no plug-in is listening (" + problem + ")");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

void SendLine(int descriptor, const std::string& request) {
  const std::string line = request + "\n";
  size_t sent = 0;
  while (sent < line.size()) {
    const ssize_t count = send(descriptor, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      Fail(1, std::string("the plug-in closed the connection: ") + std::strerror(errno));
    }
    sent += static_cast<size_t>(count);
  }
}

// Replies carry no terminator: the reply is what arrives until the stream is quiet. A reply
// always comes to a snapshot request, so its start is awaited longer than a pause within it.
std::string ReadReply(int descriptor, int quietMs) {
  constexpr int kReplyStartMs = 5000;
  std::string reply;
  char chunk[65536];
  for (;;) {
    pollfd waiting{descriptor, POLLIN, 0};
    const int ready = poll(&waiting, 1, reply.empty() ? std::max(quietMs, kReplyStartMs) : quietMs);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready <= 0) {
      return reply;
    }
    const ssize_t count = recv(descriptor, chunk, sizeof chunk, 0);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return reply;
    }
    reply.append(chunk, static_cast<size_t>(count));
  }
}

// The snapshot name of a "GetParameters" request; empty for every other request.
std::string SnapshotName(const std::string& request) {
  std::vector<std::string> fields;
  std::stringstream stream(request);
  for (std::string field; std::getline(stream, field, '|');) {
    fields.push_back(field);
  }
  return fields.size() >= 3 && fields[1] == "GetParameters" ? fields[2] : std::string();
}

// Sends the request and prints the reply it gets; false when a reply cannot be read as JSON.
bool Exchange(int descriptor, const Options& options, const std::string& request) {
  SendLine(descriptor, request);
  const std::string snapshot = SnapshotName(request);
  if (snapshot.empty()) {
    return true;
  }
  const std::string reply = ReadReply(descriptor, options.waitMs);
  if (!options.json) {
    std::cout << reply;
    if (reply.empty() || reply.back() != '\n') {
      std::cout << "\n";
    }
    std::cout.flush();
    return true;
  }
  try {
    std::cout << dialforge_client::SnapshotToJson(snapshot, reply).dump(2) << std::endl;
  } catch (const std::exception& problem) {
    std::cerr << "dialforge-client: cannot read the " << snapshot << " reply: " << problem.what()
              << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const int descriptor = Connect(options);
  bool allRead = true;
  if (options.requests.empty()) {
    // Line by line, so that a person typing requests sees each reply at once.
    for (std::string line; std::getline(std::cin, line);) {
      allRead = Exchange(descriptor, options, line) && allRead;
    }
  } else {
    for (const std::string& request : options.requests) {
      allRead = Exchange(descriptor, options, request) && allRead;
    }
  }
  shutdown(descriptor, SHUT_RDWR);
  close(descriptor);
  return allRead ? 0 : 1;
}
