#include "socket/ServedClient.h"

namespace VazezeveDudOzizezUziriv {

ServedClient::ServedClient(dialforge_platform::SocketHandle descriptor, size_t slot)
    : connection(descriptor), slot(slot) {}

bool ServedClient::Queue(const std::string& bytes) {
  if (Queued() == 0) {
    since = Clock::now();
  }
  output += bytes;
  return Flush();
}

bool ServedClient::Flush() {
  while (Queued() > 0) {
    size_t sent = 0;
    const ClientConnection::Sent outcome =
        connection.Send(output.data() + sentBytes, Queued(), &sent);
    if (outcome == ClientConnection::Sent::Failed) {
      output.clear();
      sentBytes = 0;
      return false;
    }
    if (outcome == ClientConnection::Sent::Nothing) {
      break;
    }
    sentBytes += sent;
    since = Clock::now();
  }
  if (sentBytes == output.size()) {
    // A large reply's room is given back once it has gone.
    if (output.capacity() > kMostQueuedBytes) {
      std::string().swap(output);
    }
    output.clear();
    sentBytes = 0;
  } else if (sentBytes > kMostQueuedBytes) {
    output.erase(0, sentBytes);
    sentBytes = 0;
  }
  return true;
}

}  // namespace VazezeveDudOzizezUziriv
