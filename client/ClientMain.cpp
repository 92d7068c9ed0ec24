// dialforge-client: sends requests to the plug-in, as the companion application does, and prints
// the replies to snapshot requests, each complete as soon as its sentinel's reply arrives.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "client/Connection.h"
#include "client/ReplyReader.h"
#include "client/RequestCheck.h"
#include "client/SnapshotJson.h"
#include "platform/DataFolder.h"

namespace {

using dialforge_client::Connection;
using dialforge_client::Reply;

constexpr int kExitDone = 0;
constexpr int kExitNoPlugin = 1;
constexpr int kExitRefused = dialforge_cli::kExitBadArguments;
constexpr int kExitLost = 3;
constexpr int kExitUnreadable = 4;

// A day: longer waits are a mistake, and they must fit poll()'s milliseconds.
constexpr double kLongestWaitSeconds = 86400;

struct Options {
  std::string home;
  std::optional<int> port;
  double connectTimeoutSeconds = 10;
  double replyTimeoutSeconds = 20;
  bool json = false;
  bool strict = false;
  std::vector<std::string> requests;
};

void Say(const std::string& message) {
  std::cerr << "dialforge-client: " << message << std::endl;
}

std::chrono::milliseconds Milliseconds(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

// The check without its description, which the help shows in the option's own words.
CLI::Validator Quiet(CLI::Validator check) {
  return check.description("");
}

std::optional<Options> ParseOptions(int argc, char** argv, int* status) {
  Options options;
  options.home = dialforge_platform::Variable(dialforge_platform::HomeVariable()).value_or("");
  CLI::App app(
      "Sends each REQUEST, or each line of standard input, to the Dialforge plug-in and prints "
      "the reply to every GetParameters request, as its bytes came, each on lines of its own.",
      "dialforge-client");
  app.add_option("REQUEST", options.requests,
                 "A request, such as 1|GetParameters|Commands (without any, the lines of "
                 "standard input)");
  app.add_option("--home", options.home,
                 std::string("The folder whose port file names the port (default: $") +
                     dialforge_platform::HomeVariable() + ")")
      ->type_name("DIR");
  app.add_option("--port", options.port, "The port, instead of the port file (1 to 65535)")
      ->type_name("N")
      ->check(Quiet(CLI::Range(1, 65535)));
  app.add_option("--connect-timeout", options.connectTimeoutSeconds,
                 "How long to keep trying while there is no port file, nothing listens on the port "
                 "or the plug-in serves another client (default: 10)")
      ->type_name("SECONDS")
      ->check(Quiet(CLI::Range(0.0, kLongestWaitSeconds)));
  app.add_option("--reply-timeout", options.replyTimeoutSeconds,
                 "How long a reply may stall before the client gives up (default: 20; the "
                 "plug-in may start serving up to 5 s late)")
      ->type_name("SECONDS")
      ->check(Quiet(CLI::Range(0.001, kLongestWaitSeconds)));
  app.add_flag("--json", options.json,
               "Prints each reply as one line of JSON: id, snapshot, format and result");
  app.add_flag("--strict", options.strict,
               "Refuses a request the plug-in would ignore instead of warning about it");
  const std::string exitStatuses =
      "  0  every request was sent and has run, every reply was printed\n"
      "  1  no plug-in answered within --connect-timeout: nothing was sent\n"
      "  2  bad arguments; or --strict and a request the plug-in would ignore (nothing is sent;\n"
      "     from standard input, the lines before it are)\n"
      "  3  the connection ended, or a reply stalled for --reply-timeout: the requests named on\n"
      "     standard error may not have run\n"
      "  4  --json and a reply that could not be read as its snapshot (its line has \"error\")\n";
  if (const std::optional<int> exit = dialforge_cli::Parse(app, exitStatuses, argc, argv)) {
    *status = *exit;
    return std::nullopt;
  }
  return options;
}

// Sentinel ids share a random start that no request of the batch has, so no reply is taken for
// a sentinel's.
std::string SentinelStart(const std::vector<std::string>& requests) {
  std::random_device entropy;
  for (;;) {
    char text[24];
    std::snprintf(text, sizeof text, "~%08x%08x", entropy(), entropy());
    bool used = false;
    for (const std::string& request : requests) {
      used = used || request.compare(0, std::strlen(text), text) == 0;
    }
    if (!used) {
      return text;
    }
  }
}

// The requests sent on one connection and the replies awaited, in order.
class Exchange {
 public:
  Exchange(Connection& connection, std::string sentinelStart, const Options& options)
      : connection(connection), sentinelStart(std::move(sentinelStart)), options(options) {}

  // False when --strict refuses the request: it is not sent.
  bool Add(const std::string& request) {
    const std::string problem = dialforge_client::RequestProblem(request);
    const std::string named = "request " + std::to_string(sent.size() + 1) + " (" +
                              dialforge_client::Printable(request) + "): ";
    if (!problem.empty() && options.strict) {
      Say(named + problem + "; not sent, nor anything after it (--strict)");
      return false;
    }
    if (!problem.empty()) {
      Say("warning: " + named + problem);
    }
    sent.push_back(request);
    std::string bytes = request + "\n";
    lastHasSentinel = false;
    if (const auto answered = dialforge_client::AnsweredRequest(request)) {
      const std::string sentinel = NextSentinel(&bytes);
      reader.ExpectSnapshot(answered->id, answered->snapshot, sentinel, sent.size());
      lastHasSentinel = true;
    }
    connection.Queue(bytes);
    return true;
  }

  // A last sentinel, unless one already follows the last request: its reply shows every
  // request ran.
  void Finish() {
    if (!lastHasSentinel) {
      std::string bytes;
      reader.ExpectSentinel(NextSentinel(&bytes), sent.size());
      connection.Queue(bytes);
      lastHasSentinel = true;
    }
  }

  // Moves bytes until every reply is in (and, when input is not -1, its lines have all been
  // added); the exit status.
  int Run(int input) {
    bool reading = input != -1;
    for (;;) {
      if (!reading && !reader.Waiting()) {
        return unreadable ? kExitUnreadable : refused ? kExitRefused : kExitDone;
      }
      std::string received;
      const auto replyTimeout = Milliseconds(options.replyTimeoutSeconds);
      switch (connection.Next(reading ? input : -1, reader.Waiting(), replyTimeout, &received)) {
        case Connection::Event::Received: {
          std::vector<Reply> replies;
          std::string problem;
          const bool understood = reader.Take(received, &replies, &problem);
          for (const Reply& reply : replies) {
            Print(reply);
          }
          if (!understood) {
            return Lost(problem);
          }
          break;
        }
        case Connection::Event::InputReady:
          reading = ReadInput(input);
          break;
        case Connection::Event::Closed:
          return Lost(received);
        case Connection::Event::Stalled:
          return Lost("nothing came from the plug-in for " +
                      dialforge_client::SecondsText(replyTimeout));
      }
    }
  }

 private:
  std::string NextSentinel(std::string* bytes) {
    const std::string sentinel = sentinelStart + "." + std::to_string(++sentinels);
    *bytes += sentinel + "|GetParameters|" + dialforge_client::kSentinelSnapshot + "\n";
    return sentinel;
  }

  // Adds the complete lines that have arrived; false once the input has ended (the last line
  // needs no line feed) or --strict refused a line.
  bool ReadInput(int input) {
    char chunk[65536];
    const ssize_t count = read(input, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) {
      return true;
    }
    const bool ended = count <= 0;
    lines.append(chunk, ended ? 0 : static_cast<std::size_t>(count));
    std::size_t start = 0;
    for (std::size_t end = lines.find('\n'); end != std::string::npos;
         end = lines.find('\n', start)) {
      if (!Add(lines.substr(start, end - start))) {
        refused = true;
        Finish();
        return false;
      }
      start = end + 1;
    }
    lines.erase(0, start);
    if (ended) {
      if (!lines.empty() && !Add(lines)) {
        refused = true;
      }
      Finish();
    }
    return !ended;
  }

  void Print(const Reply& reply) {
    if (!options.json) {
      std::string bytes = reply.id + "|" + reply.text;
      if (bytes.back() != '\n') {
        bytes += '\n';
      }
      std::fwrite(bytes.data(), 1, bytes.size(), stdout);
      std::fflush(stdout);
      return;
    }
    nlohmann::ordered_json line;
    try {
      line = dialforge_client::ReplyToJson(reply.id, reply.snapshot, reply.text);
    } catch (const std::exception& problem) {
      Say("cannot read the " + reply.snapshot + " reply to request id '" +
          dialforge_client::Printable(reply.id) + "': " + problem.what());
      line = {{"id", reply.id},
              {"snapshot", reply.snapshot},
              {"format", dialforge_client::kJsonFormat},
              {"error", problem.what()}};
      unreadable = true;
    }
    std::cout << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
  }

  int Lost(const std::string& why) {
    const std::size_t confirmed = reader.Confirmed();
    std::string message = why;
    if (confirmed < sent.size()) {
      message += "; the requests from request " + std::to_string(confirmed + 1) + " (" +
                 dialforge_client::Printable(sent[confirmed]) + ") on may not have run";
    }
    Say(message);
    return kExitLost;
  }

  Connection& connection;
  dialforge_client::ReplyReader reader;
  const std::string sentinelStart;
  const Options& options;
  std::vector<std::string> sent;
  std::string lines;
  std::size_t sentinels = 0;
  bool lastHasSentinel = false;
  bool refused = false;
  bool unreadable = false;
};

int Run(int argc, char** argv) {
  int status = kExitDone;
  const std::optional<Options> options = ParseOptions(argc, argv, &status);
  if (!options) {
    return status;
  }
  // A line feed ends a request on the wire, so an argument holding one is several requests.
  std::vector<std::string> requests;
  for (const std::string& argument : options->requests) {
    std::size_t start = 0;
    for (std::size_t end = argument.find('\n'); end != std::string::npos;
         end = argument.find('\n', start)) {
      requests.push_back(argument.substr(start, end - start));
      start = end + 1;
    }
    if (start < argument.size() || start == 0) {
      requests.push_back(argument.substr(start));
    }
  }
  if (options->strict) {
    for (std::size_t at = 0; at < requests.size(); ++at) {
      const std::string& request = requests[at];
      const std::string problem = dialforge_client::RequestProblem(request);
      if (!problem.empty()) {
        Say("request " + std::to_string(at + 1) + " (" + dialforge_client::Printable(request) +
            "): " + problem + "; nothing sent (--strict)");
        return kExitRefused;
      }
    }
  }

  const std::string sentinelStart = SentinelStart(requests);
  std::set<std::string> said;
  dialforge_client::ConnectSettings settings;
  using dialforge_platform::JoinPath;
  settings.portFile =
      JoinPath(JoinPath(JoinPath(dialforge_platform::DataFolderUnder(options->home), "PluginData"),
                        "PremierePro"),
               "socket.port");
  settings.port = options->port;
  settings.connectTimeout = Milliseconds(options->connectTimeoutSeconds);
  settings.replyTimeout = Milliseconds(options->replyTimeoutSeconds);
  settings.note = [&](const std::string& note) {
    if (said.insert(note).second) {
      Say(note);
    }
  };
  const dialforge_client::Connected connected =
      dialforge_client::ConnectServed(settings, sentinelStart + ".0");
  if (!connected.connection) {
    Say(connected.problem);
    return kExitNoPlugin;
  }

  Exchange exchange(*connected.connection, sentinelStart, *options);
  if (options->requests.empty()) {
    return exchange.Run(STDIN_FILENO);
  }
  for (const std::string& request : requests) {
    exchange.Add(request);
  }
  exchange.Finish();
  return exchange.Run(-1);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    Say(failure.what());
    return kExitLost;
  }
}
