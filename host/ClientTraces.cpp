#include "host/ClientTraces.h"

namespace dialforge_host {

namespace {

bool Starts(const std::string& line, const char* start) {
  return line.compare(0, std::char_traits<char>::length(start), start) == 0;
}

}  // namespace

ClientTraces::ClientTraces(std::function<std::string(const std::string&)> lineOf)
    : lineOf(std::move(lineOf)) {
  if (capture.Capture(dialforge_platform::OutputCapture::Into::Pipe)) {
    copier = std::thread([this] { Copy(); });
  }
}

ClientTraces::~ClientTraces() {
  // The pipe's last writer goes, so the copier reads to the end and stops.
  capture.Release();
  if (copier.joinable()) {
    copier.join();
  }
}

void ClientTraces::Copy() {
  char chunk[4096];
  for (std::size_t count = capture.Read(chunk, sizeof chunk); count > 0;
       count = capture.Read(chunk, sizeof chunk)) {
    capture.WriteToRealOutput(chunk, count);
    partial.append(chunk, count);
    std::size_t start = 0;
    for (std::size_t end = partial.find('\n'); end != std::string::npos;
         end = partial.find('\n', start)) {
      Look(partial.substr(start, end - start));
      start = end + 1;
    }
    partial.erase(0, start);
  }
}

void ClientTraces::Show(const std::string& event) {
  const std::string line = lineOf(event) + "\n";
  capture.WriteToRealOutput(line.data(), line.size());
}

void ClientTraces::Look(const std::string& line) {
  // A client is served from its first bytes, or shows itself by leaving without any.
  const bool received = line.find(" bytes received ") != std::string::npos;
  const bool closed = Starts(line, "Connection closed");
  if (!serving && (received || closed)) {
    serving = true;
    Show("client connected");
  }
  if (Starts(line, "Another client refused")) {
    Show("client refused: another client is being served");
  } else if (closed || Starts(line, "Client socket closed")) {
    serving = false;
    Show("client left");
  }
}

}  // namespace dialforge_host
