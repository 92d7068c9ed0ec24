// Over real loopback sockets, with a temporary home. The port file's protections, which differ
// per system, are in posix/ and windows/.
#include "socket/DialforgeSocket.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/DataFolder.h"
#include "platform/Sockets.h"
#include "tests/socket/ListenerFixture.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/DescriptorShortage.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

#ifndef DIALFORGE_UNDEFINED_SANITIZER
#define DIALFORGE_UNDEFINED_SANITIZER 0
#endif

namespace {

constexpr bool kUndefinedSanitizer = DIALFORGE_UNDEFINED_SANITIZER != 0;

using namespace std::chrono_literals;
using dialforge_test::DialforgeSocketTest;
using dialforge_test::FileExists;
using dialforge_test::ListFolder;
using dialforge_test::LoopbackClient;
using dialforge_test::ReadFile;
using dialforge_test::RecordingSocket;
using dialforge_test::TempHome;
using dialforge_test::ThreadCount;
using dialforge_test::ThreadCountReturnsTo;
using dialforge_test::WaitUntil;
using VazezeveDudOzizezUziriv::ListenerState;
using VazezeveDudOzizezUziriv::Tracer;

constexpr size_t kEightMiB = 8u << 20;

// All the bytes of a literal, NULs included.
template <size_t size>
std::string Bytes(const char (&literal)[size]) {
  return std::string(literal, size - 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Another program binding the port as a rival listener would, with SO_REUSEADDR.
bool RivalRefused(int port, const char* address) {
  return dialforge_platform::KindOf(dialforge_test::RivalBindError(port, address)) ==
         dialforge_platform::SocketErrorKind::AddressInUse;
}

TEST_F(DialforgeSocketTest, OneClientAtATimeAndThePortIsHeldFromTheFirstBindToTheStop) {
  listener.SetRetryPause(1s);
  listener.AnswerWith([](const std::string& message) {
    return StartsWith(message, "0|Ask|") ? "0|answer" : std::string();
  });
  listener.StartListening(0);
  ASSERT_TRUE(WaitUntil([&] { return !ReadFile(PortFile()).empty(); }));
  const int port = listener.GetPort();
  ASSERT_GT(port, 0);
  EXPECT_EQ(ReadFile(PortFile()), std::to_string(port)) << "digits only, no line end";
  {
    LoopbackClient client(port);
    ASSERT_TRUE(client.Connected()) << "a port in the port file is listening";
    ASSERT_TRUE(WaitForState(ListenerState::Serving));
    LoopbackClient second(port);
    second.TrySend("0|Ask|second\n");
    EXPECT_TRUE(second.ClosedByListener()) << "one client at a time";
    ASSERT_TRUE(WaitForTrace("Another client refused"));
    EXPECT_TRUE(RivalRefused(port, "127.0.0.1")) << "while a client is served";
    client.Send("0|Ask|x\n");
    EXPECT_EQ(client.Receive(8), "0|answer");
  }
  ASSERT_TRUE(WaitForState(ListenerState::Pausing));
  EXPECT_TRUE(RivalRefused(port, "127.0.0.1")) << "while pausing";
  EXPECT_TRUE(RivalRefused(port, "0.0.0.0")) << "while pausing";

  // A client that comes during the pause waits, and is served once it ends.
  LoopbackClient waiting(port);
  ASSERT_TRUE(waiting.Connected());
  waiting.Send("0|Ask|y\n");
  const size_t processed = listener.Messages().size();
  if (listener.GetState() == ListenerState::Pausing) {
    EXPECT_EQ(processed, 1u) << "nothing runs during the pause";
  }
  EXPECT_EQ(waiting.Receive(8), "0|answer");
  ASSERT_TRUE(WaitForTrace("All processed", 2));
  listener.StopListening();
  EXPECT_FALSE(FileExists(PortFile()));
  EXPECT_EQ(listener.Messages(), (std::vector<std::string>{"0|Ask|x", "0|Ask|y"}));

  const std::string p = std::to_string(port);
  std::vector<std::string> expected{"Start listening on port 0",
                                    "Background thread started",
                                    "Opening port 0 (0)",
                                    "Local port " + p,
                                    "Local address '127.0.0.1'",
                                    "Listening...",
                                    "Another client refused",
                                    "8 bytes received 131072",
                                    "Processing message '0|Ask|x'",
                                    "Sending 8 bytes",
                                    "All processed",
                                    "Connection closed",
                                    "Listening...",
                                    "8 bytes received 131072",
                                    "Processing message '0|Ask|y'",
                                    "Sending 8 bytes",
                                    "All processed",
                                    "Stop listening",
                                    "Listen socket closed",
                                    "Client socket closed",
                                    "Background thread exited",
                                    "Stopped listening"};
  // The host's thread traces "Started listening" while the listener thread already runs.
  auto traces = Traces();
  const auto started = std::find(traces.begin(), traces.end(), "Started listening");
  ASSERT_NE(started, traces.end());
  EXPECT_GT(started - traces.begin(), 0);
  traces.erase(started);
  EXPECT_EQ(traces, expected);
}

TEST_F(DialforgeSocketTest, AFailedListeningSocketIsBoundAgainOnTheSamePort) {
  if (dialforge_test::kOnWindows) {
    GTEST_SKIP() << "wine's shutdown() of a listening socket leaves its accept waiting";
  }
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  const int port = listener.GetPort();
  const auto socket = dialforge_platform::FindListeningSocket(port);
  ASSERT_NE(socket, dialforge_platform::kNoSocket);
  // Shut down under the listener's feet, the socket listens no more.
  dialforge_platform::ShutDown(socket);
  const std::string again =
      "Opening port " + std::to_string(port) + " (" + std::to_string(port) + ")";
  ASSERT_TRUE(WaitForTrace(again));
  ASSERT_TRUE(WaitForTrace("Listening...", 2));
  EXPECT_EQ(
      CountTraces([](const std::string& line) { return StartsWith(line, "accept() failed"); }), 1u);
  EXPECT_EQ(listener.GetPort(), port);
  EXPECT_EQ(ReadFile(PortFile()), std::to_string(port));
  LoopbackClient client(port);
  client.Send("0|after|x\n");
  ASSERT_TRUE(listener.WaitForMessages(1));
}

// Every rule of the framing is checked on chunks in LineAssemblerTest; here, over a socket.
TEST_F(DialforgeSocketTest, FramingHoldsSplitMessagesAndKeepsTheLineRules) {
  listener.AnswerWith([](const std::string& message) {
    return StartsWith(message, "ask") ? "reply to " + message + "\n" : std::string();
  });
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  const int port = listener.GetPort();
  {
    LoopbackClient client(port);
    client.Send("ask 1\nask 2\n");
    EXPECT_EQ(client.Receive(30), "reply to ask 1\nreply to ask 2\n");
    client.Send("0|Set|1.");
    ASSERT_TRUE(WaitForTrace("8 bytes received 131072"));
    client.Send(Bytes("5\n\nwith cr\r\nab\0cd\n") + std::string(200000, 'x') + "\ntail");
    ASSERT_TRUE(WaitForTrace("Message too long"));
  }
  // The held tail waits for the close.
  ASSERT_TRUE(WaitForTrace("Processing message 'tail'"));
  LoopbackClient unframed(port);
  unframed.Send("0|Raw|1");
  ASSERT_TRUE(listener.WaitForMessages(8));
  unframed.Send("0|Raw|2");
  ASSERT_TRUE(listener.WaitForMessages(9));
  EXPECT_EQ(listener.Messages(),
            (std::vector<std::string>{"ask 1", "ask 2", "0|Set|1.5", "", "with cr\r", "ab", "tail",
                                      "0|Raw|1", "0|Raw|2"}));
}

TEST_F(DialforgeSocketTest, AWebPageRunsNothingAndClientTextIsTracedPrintable) {
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  const int port = listener.GetPort();
  {
    // What fetch("http://127.0.0.1:PORT/0|Transport|Record|y") sends.
    LoopbackClient browser(port);
    browser.Send("GET /0|Transport|Record|y HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                 "\r\nAccept: */*\r\n\r\n0|Transport|Record\n");
    EXPECT_TRUE(browser.ClosedByListener());
  }
  LoopbackClient companion(port);
  companion.Send("0|\x1b]2;owned\x07|x\r\n");
  ASSERT_TRUE(listener.WaitForMessages(1));
  EXPECT_EQ(CountTrace("Processing message '0|\\x1B]2;owned\\x07|x\\x0D'"), 1u);
  companion.Close();
  ASSERT_TRUE(WaitForTrace("Listening...", 3));

  // A long URL arrives in many receives: it is refused at its first, before and after a first
  // line feed. A web page is no client: the next connection is served without the pause.
  listener.SetRetryPause(1h);
  for (const std::string& before : {std::string(), std::string("0|first|x\n")}) {
    LoopbackClient browser(port);
    browser.Send(before + "GET /x|Transport|Record|");
    ASSERT_TRUE(WaitForTrace("Refused HTTP request", before.empty() ? 2 : 3));
    for (int piece = 0; piece < 3 && browser.TrySend(std::string(100000, 'a')); ++piece) {
    }
    EXPECT_TRUE(browser.ClosedByListener());
  }
  EXPECT_EQ(listener.Messages().back(), "0|first|x");
  EXPECT_EQ(listener.Messages().size(), 2u);
}

// A pause after each would lock the companion application out for a pause per connection.
TEST_F(DialforgeSocketTest, AConnectionThatSendsNothingCostsTheNextClientNoPause) {
  listener.SetRetryPause(1h);
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  const int port = listener.GetPort();
  const auto deadConnections = [port](int count) {
    for (int i = 0; i < count; ++i) {
      LoopbackClient dead(port);
    }
  };
  deadConnections(3);
  LoopbackClient first(port);
  first.Send("0|first|x\n");
  ASSERT_TRUE(listener.WaitForMessages(1)) << "no pause after the connections before it";
  listener.SetRetryPause(1s);
  first.Close();
  ASSERT_TRUE(WaitForState(ListenerState::Pausing));
  listener.SetRetryPause(1h);
  deadConnections(20);
  LoopbackClient next(port);
  next.Send("0|next|x\n");
  ASSERT_TRUE(listener.WaitForMessages(2)) << "one pause, after the client only";
  EXPECT_EQ(CountTrace("Connection closed"), 24u);
}

// A shortage of descriptors when the host connects the plug-in costs attempts, not the session.
TEST_F(DialforgeSocketTest, AListenerStartedShortOfDescriptorsListensOnceTheyAreThere) {
  if (kUndefinedSanitizer) {
    GTEST_SKIP() << "the sanitizer's type checks fail for want of descriptors themselves";
  }
  // One descriptor left: not enough for the two ends of a pipe, nor for the log file's folder
  // walk, so the failed attempt shows only as the pause before any client came.
  dialforge_test::DescriptorShortage shortage;
  if (!shortage.Made()) {
    GTEST_SKIP() << "no descriptor limit to lower on this system";
  }
  listener.StartListening(0);
  const bool paused = WaitForState(ListenerState::Pausing);
  shortage.End();
  ASSERT_TRUE(paused);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  EXPECT_EQ(ReadFile(PortFile()), std::to_string(listener.GetPort()));
  EXPECT_TRUE(StopsPromptly());
}

// A client gone before its reply is met by the soak; here, sends that the client's pace cuts
// into many parts.
TEST_F(DialforgeSocketTest, ALargeReplyReachesASlowReaderWholeAndInOrder) {
  std::string large(kEightMiB, '\0');
  for (size_t i = 0; i < large.size(); ++i) {
    large[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  }
  listener.AnswerWith([&](const std::string&) { return large; });
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  LoopbackClient reader(listener.GetPort(), 4096);
  reader.Send("large\n");
  EXPECT_TRUE(reader.Receive(large.size(), 4096) == large);
}

TEST_F(DialforgeSocketTest, StopListeningIsPromptWhereverTheThreadWaits) {
  listener.SetRetryPause(5s);
  listener.AnswerWith([](const std::string&) { return std::string(kEightMiB, 'r'); });
  Tracer::Stop();
  const size_t threads = ThreadCount();
  const auto expectNothingLeft = [&](const char* where) {
    EXPECT_EQ(listener.GetState(), ListenerState::Idle) << where;
    EXPECT_FALSE(FileExists(PortFile())) << where;
    Tracer::Stop();
    EXPECT_TRUE(ThreadCountReturnsTo(threads)) << where;
  };

  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  listener.StartListening(0);
  EXPECT_EQ(CountTrace("Listener already running; start ignored"), 1u);
  EXPECT_EQ(ThreadCount(), threads + 1);
  EXPECT_TRUE(StopsPromptly());
  expectNothingLeft("in accept");
  listener.StopListening();

  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  {
    LoopbackClient idle(listener.GetPort());
    ASSERT_TRUE(WaitForState(ListenerState::Serving));
    EXPECT_TRUE(StopsPromptly());
    EXPECT_TRUE(idle.ClosedByListener());
  }
  expectNothingLeft("in recv");

  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  {
    LoopbackClient notReading(listener.GetPort(), 4096);
    notReading.Send("large\n");
    ASSERT_TRUE(WaitForTrace("Sending 8388608 bytes"));
    EXPECT_TRUE(StopsPromptly());
  }
  expectNothingLeft("in send");

  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  {
    LoopbackClient leaving(listener.GetPort());
    leaving.Send("x\n");
    ASSERT_TRUE(WaitForState(ListenerState::Serving));
  }
  ASSERT_TRUE(WaitForState(ListenerState::Pausing));
  EXPECT_TRUE(StopsPromptly());
  expectNothingLeft("in the pause");
  EXPECT_EQ(CountTrace("Listening..."), 4u) << "no attempt after the stop";
  EXPECT_EQ(CountTrace("Background thread exited"), 4u) << "a second stop does nothing";
}

// A client that stops reading holds a megabyte at most and is closed; one that proves nothing is
// refused; the others are served meanwhile, and a stop closes them all at once.
TEST_F(DialforgeSocketTest, SharedClientsAreServedWhileASlowOrSilentOneIsClosed) {
  listener.Share();
  listener.SetMostClients(3);
  listener.SetSlowClientLimit(1h);
  listener.SetFirstLineLimit(200ms);
  listener.AnswerWith([](const std::string& message) {
    return message == "big" ? std::string(kEightMiB, 'b') : "ok:" + message + "\n";
  });
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  const int port = listener.GetPort();
  LoopbackClient slow(port, 4096);
  slow.Send("big\nbig\nafter\n");
  ASSERT_TRUE(WaitForTrace("Sending 8388608 bytes"));
  LoopbackClient shared(port);
  shared.Send("join\nb1\n");
  EXPECT_EQ(shared.Receive(14), "ok:join\nok:b1\n") << "served beside a client that reads nothing";
  LoopbackClient silent(port);
  EXPECT_TRUE(silent.ClosedByListener());
  LoopbackClient knocking(port);
  knocking.Send("knock\nrun me\n");
  EXPECT_EQ(knocking.Receive(3), "no\n");
  EXPECT_TRUE(knocking.ClosedByListener());
  LoopbackClient third(port);
  third.Send("join\n");
  EXPECT_EQ(third.Receive(8), "ok:join\n");
  LoopbackClient fourth(port);
  fourth.Send("join\n");
  EXPECT_EQ(fourth.Receive(5), "busy\n");
  EXPECT_TRUE(fourth.ClosedByListener());
  EXPECT_EQ(listener.Messages(), (std::vector<std::string>{"big", "join", "b1", "join"}))
      << "the slow client's later requests are not read, the refused' never run";
  EXPECT_EQ(CountTrace("Another client refused"), 3u);
  listener.SetSlowClientLimit(0ms);
  shared.Send("b2\n");
  EXPECT_EQ(shared.Receive(6), "ok:b2\n");
  ASSERT_TRUE(WaitForTrace("Client too slow: closed"));
  shared.Send("b3\n");
  EXPECT_EQ(shared.Receive(6), "ok:b3\n") << "no pause when a client leaves while others stay";
  EXPECT_TRUE(StopsPromptly());
  EXPECT_TRUE(shared.ClosedByListener());
  EXPECT_TRUE(third.ClosedByListener());
}

TEST_F(DialforgeSocketTest, AMissingPortFileIsPublishedAgainAndANewerListenersIsLeftAlone) {
  // As when a folder of the path cannot be written at the first bind.
  const std::string pluginData = home.PathOf(TempHome::kDataFolder + "/PluginData");
  std::filesystem::remove_all(pluginData);
  dialforge_test::WriteFile(pluginData, "");
  listener.SetPortFileCheckInterval(10ms);
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  const std::string ours = std::to_string(listener.GetPort());
  EXPECT_FALSE(FileExists(PortFile()));
  std::filesystem::remove(pluginData);
  ASSERT_TRUE(WaitUntil([&] { return ReadFile(PortFile()) == ours; })) << "while idle";

  // From here on only a "Listening..." checks; a dead connection makes one at once.
  listener.SetPortFileCheckInterval(1h);
  const auto listenAgain = [&](size_t listenings) {
    { LoopbackClient dead(listener.GetPort()); }
    ASSERT_TRUE(WaitForTrace("Listening...", listenings));
  };
  listenAgain(2);
  RecordingSocket newer;
  newer.StartListening(0);
  ASSERT_TRUE(WaitUntil([&] { return newer.GetState() == ListenerState::Listening; }));
  listenAgain(4);  // the newer one's own and ours
  EXPECT_EQ(ReadFile(PortFile()), std::to_string(newer.GetPort()));
  newer.StopListening();
  EXPECT_FALSE(FileExists(PortFile()));
  listenAgain(5);
  EXPECT_EQ(ReadFile(PortFile()), ours);
  listener.StopListening();
  EXPECT_FALSE(FileExists(PortFile()));
}

TEST(DialforgeSocketWithoutHomeTest, NoPortFileIsWrittenAndTheListenerStillServes) {
  TempHome home;
  const char* const variable = dialforge_platform::HomeVariable();
  dialforge_platform::UnsetVariable(variable);
  Tracer::SetTracing(true);
  const std::string traced = dialforge_test::CapturedOutput([] {
    RecordingSocket listener;
    listener.StartListening(0);
    ASSERT_TRUE(WaitUntil([&] { return listener.GetState() == ListenerState::Listening; }));
    LoopbackClient client(listener.GetPort());
    client.Send("hello\n");
    EXPECT_TRUE(listener.WaitForMessages(1));
    listener.StopListening();
  });
  EXPECT_NE(traced.find("Local address '127.0.0.1'\r\n" + std::string(variable) +
                        " is not set; no port file\r\n"),
            std::string::npos)
      << traced;
  EXPECT_TRUE(ListFolder(home.Path()).empty());
}

}  // namespace
