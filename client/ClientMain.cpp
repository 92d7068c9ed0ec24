// dialforge-client: sends requests to the plug-in, as the companion application does, and prints
// the replies to snapshot requests, each complete as soon as its sentinel's reply (protocol 1)
// or its answer (protocol 2) arrives.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "client/AnswerReader.h"
#include "client/BackgroundWatch.h"
#include "client/Connection.h"
#include "client/ReplyReader.h"
#include "client/RequestCheck.h"
#include "client/SnapshotJson.h"
#include "client/SnapshotText.h"
#include "platform/DataFolder.h"
#include "platform/StandardInput.h"
#include "platform/StandardStreams.h"
#include "platform/StopRequests.h"

namespace {

using dialforge_client::BackgroundWatch;
using dialforge_client::Connection;
using dialforge_client::Reply;

constexpr int kExitDone = 0;
constexpr int kExitNoPlugin = 1;
constexpr int kExitRefused = dialforge_cli::kExitBadArguments;
constexpr int kExitLost = 3;
constexpr int kExitUnreadable = 4;
constexpr int kExitRefusedByPlugin = 5;
constexpr int kExitBusy = 6;
constexpr int kExitUnauthorized = 7;

// A day: longer waits are a mistake, and they must fit poll()'s milliseconds.
constexpr double kLongestWaitSeconds = 86400;

struct Options {
  std::string home;
  std::optional<int> port;
  double connectTimeoutSeconds = 10;
  double replyTimeoutSeconds = 20;
  bool json = false;
  bool strict = false;
  int protocol = 2;
  std::optional<std::string> token;
  std::string watch;
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
               "Refuses a request the plug-in would ignore or refuse (a value that is no number, a "
               "panel mode outside 0 to 6) instead of warning about it");
  app.add_option("--protocol", options.protocol,
                 "The highest protocol to offer: 2 (default; a plug-in that does not speak it is "
                 "spoken to in protocol 1) or 1 (never offers protocol 2)")
      ->type_name("1|2")
      ->check(Quiet(CLI::IsMember({1, 2})));
  app.add_option("--token", options.token,
                 "The token to prove in the Hello, instead of the one in socket.token beside the "
                 "port file (none is sent with --port alone)")
      ->type_name("TOKEN")
      ->check(Quiet(CLI::Validator(
          [](const std::string& token) {
            return token.empty() || token.find_first_of("|\r\n") != std::string::npos
                       ? std::string("a token is text without '|' or line feeds")
                       : std::string();
          },
          "")));
  app.add_option("--watch", options.watch,
                 "Subscribes to the events (Transport or Mixer) and prints "
                 "each as a line of JSON (the REQUESTs sent after subscribing) until SIGINT, "
                 "SIGTERM or the end of the connection; "
                 "needs a plug-in speaking protocol 2")
      ->type_name("EVENTS")
      ->check(Quiet(CLI::IsMember({"Transport", "Mixer"})))
      ->excludes(app.get_option("--protocol"));
  const std::string exitStatuses =
      "  0  every request was sent and has run, every reply was printed\n"
      "  1  no plug-in answered within --connect-timeout: nothing was sent\n"
      "  2  bad arguments; or --strict and a request the plug-in would ignore or refuse\n"
      "     (nothing is sent; from standard input, the lines before it are)\n"
      "  3  the connection ended, or a reply stalled for --reply-timeout: the requests named on\n"
      "     standard error may not have run\n"
      "  4  a reply that could not be read as its snapshot (with --json its line has \"error\")\n"
      "  5  the plug-in refused a request (protocol 2; each named on standard error with its id,\n"
      "     error code and message), or --watch and a plug-in that sends no events\n"
      "  6  the plug-in was serving another client until --connect-timeout: nothing was sent\n"
      "  7  the plug-in serves other clients and refused this one's token (socket.token beside\n"
      "     the port file, or --token): nothing was sent\n";
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

// "request 3, id '7'", for messages.
std::string Named(std::size_t number, const std::string& request) {
  const std::optional<std::string> id = dialforge_client::RequestId(request);
  return "request " + std::to_string(number) +
         (id ? ", id '" + dialforge_client::Printable(*id) + "'" : std::string(", no id"));
}

// Standard input as it arrives, read on a thread of its own.
class StandardInputFeed {
 public:
  StandardInputFeed()
      : watch([this](std::chrono::milliseconds interval) { return Read(interval); }) {}

  dialforge_platform::SocketHandle Watched() const { return watch.Watched(); }
  // What has arrived since the last call; *ended once the input has ended and all is taken.
  std::string Take(bool* ended) {
    watch.Drain();
    const std::lock_guard<std::mutex> lock(mutex);
    *ended = inputEnded;
    std::string taken;
    taken.swap(arrived);
    return taken;
  }

 private:
  BackgroundWatch::Found Read(std::chrono::milliseconds interval) {
    char chunk[65536];
    const std::optional<std::size_t> count =
        dialforge_platform::ReadStandardInput(chunk, sizeof chunk, interval);
    if (!count) {
      return BackgroundWatch::Found::Nothing;
    }
    const std::lock_guard<std::mutex> lock(mutex);
    arrived.append(chunk, *count);
    inputEnded = *count == 0;
    return inputEnded ? BackgroundWatch::Found::Ended : BackgroundWatch::Found::Something;
  }

  std::mutex mutex;
  std::string arrived;
  bool inputEnded = false;
  // Last, so that its thread stops before the rest goes.
  BackgroundWatch watch;
};

// The requests sent on one connection and the replies awaited, in order. In protocol 1 a
// sentinel after each snapshot request and at the end shows where replies end and that the
// requests ran; in protocol 2 every request has its answer, and Bye ends the connection.
class Exchange {
 public:
  Exchange(Connection& connection, int protocol, std::string sentinelStart, const Options& options)
      : connection(connection),
        protocol(protocol),
        sentinelStart(std::move(sentinelStart)),
        options(options) {}

  // False when --strict refuses the request: it is not sent.
  bool Add(const std::string& request) {
    const std::string problem = dialforge_client::RequestProblem(request);
    const std::string named = Named(sent.size() + 1, request);
    if (!problem.empty() && options.strict) {
      Say(named + ": " + problem + "; not sent, nor anything after it (--strict)");
      return false;
    }
    if (protocol == 2) {
      if (request.empty()) {
        Say("warning: " + named + ": an empty line is no request; not sent");
        return true;
      }
      sent.push_back(request);
      const auto answered = dialforge_client::AnsweredRequest(request);
      answers.Expect(dialforge_client::RequestId(request).value_or(std::string()),
                     answered ? answered->snapshot : std::string());
      connection.Queue(request + "\n");
      return true;
    }
    if (!problem.empty()) {
      Say("warning: " + named + ": " + problem);
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

  // Protocol 1: a last sentinel, unless one already follows the last request: its reply shows
  // every request ran. Protocol 2: Bye, so that the plug-in serves the next client at once.
  void Finish() {
    if (protocol == 2) {
      if (!byeSent) {
        answers.Expect(sentinelStart + ".bye", std::string());
        connection.Queue(sentinelStart + ".bye|Bye\n");
        byeSent = true;
      }
      return;
    }
    if (!lastHasSentinel) {
      std::string bytes;
      reader.ExpectSentinel(NextSentinel(&bytes), sent.size());
      connection.Queue(bytes);
      lastHasSentinel = true;
    }
  }

  // Moves bytes until every reply is in (and, with input, its lines have all been added); the
  // exit status. While watching, events are printed until the connection ends or a stop request
  // asks for the end.
  int Run(StandardInputFeed* input, BackgroundWatch* stop = nullptr) {
    bool reading = input != nullptr;
    for (;;) {
      const bool waiting = protocol == 2 ? answers.Waiting() : reader.Waiting();
      if (!reading && !waiting && (stop == nullptr || byeSent)) {
        return Status();
      }
      std::string received;
      const auto replyTimeout = Milliseconds(options.replyTimeoutSeconds);
      const dialforge_platform::SocketHandle watched = reading ? input->Watched()
                                                       : byeSent || stop == nullptr
                                                           ? dialforge_platform::kNoSocket
                                                           : stop->Watched();
      switch (connection.Next(watched, waiting, replyTimeout, &received)) {
        case Connection::Event::Received:
          if (!Take(received)) {
            return Lost(problem);
          }
          break;
        case Connection::Event::InputReady:
          if (reading) {
            reading = ReadInput(input);
          } else {
            stop->Drain();
            Finish();
          }
          break;
        case Connection::Event::Closed:
          if (stop != nullptr && !waiting) {
            Say(received);
            return Status();
          }
          return Lost(received);
        case Connection::Event::Stalled:
          return Lost("nothing came from the plug-in for " +
                      dialforge_client::SecondsText(replyTimeout));
      }
    }
  }

 private:
  int Status() const {
    return unreadable        ? kExitUnreadable
           : refused         ? kExitRefused
           : refusedByPlugin ? kExitRefusedByPlugin
                             : kExitDone;
  }

  std::string NextSentinel(std::string* bytes) {
    const std::string sentinel = sentinelStart + "." + std::to_string(++sentinels);
    *bytes += sentinel + "|GetParameters|" + dialforge_client::kSentinelSnapshot + "\n";
    return sentinel;
  }

  // Prints what the bytes complete; false, with the problem, when they are not what was due.
  bool Take(const std::string& received) {
    if (protocol == 1) {
      std::vector<Reply> replies;
      const bool understood = reader.Take(received, &replies, &problem);
      for (const Reply& reply : replies) {
        Print(reply.id, reply.snapshot, reply.text, nullptr);
      }
      return understood;
    }
    std::vector<dialforge_client::Answer> taken;
    std::vector<nlohmann::ordered_json> events;
    const bool understood = answers.Take(received, &taken, &events, &problem);
    for (const dialforge_client::Answer& answer : taken) {
      Report(answer);
    }
    for (const nlohmann::ordered_json& event : events) {
      if (!options.watch.empty()) {
        std::cout << dialforge_client::JsonLineText(event) << std::endl;
      }
    }
    return understood;
  }

  void Report(const dialforge_client::Answer& answer) {
    const nlohmann::ordered_json& line = answer.line;
    if (!line.value("ok", false)) {
      std::string message =
          (answer.request <= sent.size() ? Named(answer.request, sent[answer.request - 1])
                                         : "the Bye, id '" + answer.id + "'") +
          ": refused, " + line.value("error", std::string("?")) + ": " +
          line.value("message", std::string());
      if (line.contains("hostError") && line["hostError"].is_string()) {
        message += " (host error '" + line["hostError"].get<std::string>() + "')";
      }
      Say(message);
      refusedByPlugin = true;
      return;
    }
    if (!answer.snapshot.empty()) {
      Print(answer.id, answer.snapshot, std::string(), &line);
    }
  }

  // A snapshot reply: its text (protocol 1) or its answer (protocol 2), printed as text or JSON.
  void Print(const std::string& id, const std::string& snapshot, const std::string& text,
             const nlohmann::ordered_json* answer) {
    const nlohmann::ordered_json result = answer != nullptr && answer->contains("result")
                                              ? (*answer)["result"]
                                              : nlohmann::ordered_json::object();
    if (!options.json) {
      std::string bytes = id + "|";
      try {
        bytes += answer != nullptr ? dialforge_client::SnapshotText(snapshot, result) : text;
      } catch (const std::exception& problem) {
        Say("cannot read the " + snapshot + " answer to request id '" +
            dialforge_client::Printable(id) + "': " + problem.what());
        unreadable = true;
      }
      if (bytes.back() != '\n') {
        bytes += '\n';
      }
      std::fwrite(bytes.data(), 1, bytes.size(), stdout);
      std::fflush(stdout);
      return;
    }
    nlohmann::ordered_json line;
    try {
      line = answer != nullptr ? nlohmann::ordered_json{{"id", id},
                                                        {"snapshot", snapshot},
                                                        {"format", dialforge_client::kJsonFormat},
                                                        {"result", result}}
                               : dialforge_client::ReplyToJson(id, snapshot, text);
    } catch (const std::exception& problem) {
      Say("cannot read the " + snapshot + " reply to request id '" +
          dialforge_client::Printable(id) + "': " + problem.what());
      line = {{"id", id},
              {"snapshot", snapshot},
              {"format", dialforge_client::kJsonFormat},
              {"error", problem.what()}};
      unreadable = true;
    }
    std::cout << dialforge_client::JsonLineText(line) << std::endl;
  }

  // Adds the complete lines that have arrived; false once the input has ended (the last line
  // needs no line feed) or --strict refused a line.
  bool ReadInput(StandardInputFeed* input) {
    bool ended = false;
    lines += input->Take(&ended);
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

  int Lost(const std::string& why) {
    const std::size_t confirmed = protocol == 2 ? answers.Confirmed() : reader.Confirmed();
    std::string message = why;
    if (confirmed < sent.size()) {
      message += "; the requests from request " + std::to_string(confirmed + 1) + " (" +
                 dialforge_client::Printable(sent[confirmed]) + ") on may not have run";
    }
    Say(message);
    return kExitLost;
  }

  Connection& connection;
  const int protocol;
  dialforge_client::ReplyReader reader;
  dialforge_client::AnswerReader answers;
  const std::string sentinelStart;
  const Options& options;
  std::vector<std::string> sent;
  std::string lines;
  std::string problem;
  std::size_t sentinels = 0;
  bool lastHasSentinel = false;
  bool byeSent = false;
  bool refused = false;
  bool refusedByPlugin = false;
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
        Say(Named(at + 1, request) + ": " + problem + "; nothing sent (--strict)");
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
  settings.hello = options->protocol != 1;
  settings.token = options->token;
  settings.note = [&](const std::string& note) {
    if (said.insert(note).second) {
      Say(note);
    }
  };
  const dialforge_client::Connected connected =
      dialforge_client::ConnectServed(settings, sentinelStart + ".0");
  if (!connected.connection) {
    Say(connected.problem);
    return connected.unauthorized ? kExitUnauthorized : connected.busy ? kExitBusy : kExitNoPlugin;
  }
  if (!options->watch.empty() && connected.protocol != 2) {
    Say("--watch " + options->watch +
        ": the plug-in does not speak protocol 2, so it sends no events; nothing sent");
    return kExitRefusedByPlugin;
  }

  Exchange exchange(*connected.connection, connected.protocol, sentinelStart, *options);
  if (options->requests.empty() && options->watch.empty()) {
    StandardInputFeed input;
    return exchange.Run(&input);
  }
  // Subscribed first, so that the events the requests cause are shown too.
  if (!options->watch.empty()) {
    exchange.Add(sentinelStart + ".w|Subscribe|" + options->watch);
  }
  for (const std::string& request : requests) {
    exchange.Add(request);
  }
  if (options->watch.empty()) {
    exchange.Finish();
    return exchange.Run(nullptr);
  }
  // Taken from here on, so that a watch ends with a Bye.
  dialforge_platform::HoldStopRequests();
  BackgroundWatch stop([](std::chrono::milliseconds interval) {
    return dialforge_platform::TakeStopRequest(interval) ? BackgroundWatch::Found::Ended
                                                         : BackgroundWatch::Found::Nothing;
  });
  return exchange.Run(nullptr, &stop);
}

}  // namespace

int main(int argc, char** argv) {
  dialforge_platform::KeepStandardStreamBytes();
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    Say(failure.what());
    return kExitLost;
  }
}
