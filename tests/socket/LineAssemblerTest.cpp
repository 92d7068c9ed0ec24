#include "socket/LineAssembler.h"

#include <gtest/gtest.h>

namespace {

using VazezeveDudOzizezUziriv::IsHttpRequestLine;
using VazezeveDudOzizezUziriv::LineAssembler;
using Events = std::vector<std::string>;

constexpr const char* kTooLong = "<too long>";
constexpr const char* kRefused = "<refused>";

Events Drain(LineAssembler& assembler) {
  Events events;
  std::string message;
  for (;;) {
    switch (assembler.Next(message)) {
      case LineAssembler::Event::None:
        return events;
      case LineAssembler::Event::Message:
        events.push_back(message);
        break;
      case LineAssembler::Event::MessageTooLong:
        events.push_back(kTooLong);
        break;
      case LineAssembler::Event::HttpRefused:
        events.push_back(kRefused);
        break;
    }
  }
}

Events Feed(LineAssembler& assembler, const std::vector<std::string>& chunks, bool close) {
  Events events;
  for (const auto& chunk : chunks) {
    assembler.Receive(chunk.data(), chunk.size());
    const Events more = Drain(assembler);
    events.insert(events.end(), more.begin(), more.end());
  }
  if (close) {
    assembler.Close();
    const Events more = Drain(assembler);
    events.insert(events.end(), more.begin(), more.end());
  }
  return events;
}

Events Feed(const std::vector<std::string>& chunks, bool close = true) {
  LineAssembler assembler;
  return Feed(assembler, chunks, close);
}

TEST(LineAssemblerTest, EveryChunkingOfAFramedStreamGivesTheSameMessages) {
  const std::string first = "first\n";
  const char restBytes[] = "0|Set|1.5\n\nwith cr\r\nab\0cd\n0|a|b\n0|Last|x";
  const std::string rest(restBytes, sizeof restBytes - 1);
  const Events expected{"first", "0|Set|1.5", "", "with cr\r", "ab", "0|a|b", "0|Last|x"};
  EXPECT_EQ(Feed({first + rest}), expected);
  for (size_t i = 0; i <= rest.size(); ++i) {
    for (size_t j = i; j <= rest.size(); ++j) {
      const Events events =
          Feed({first + rest.substr(0, i), rest.substr(i, j - i), rest.substr(j)});
      ASSERT_EQ(events, expected) << "chunks cut at " << i << " and " << j;
    }
  }
}

TEST(LineAssemblerTest, BeforeTheFirstLineFeedEachChunkIsAMessageOfItsOwn) {
  EXPECT_EQ(Feed({"0|Raw|1", "0|Raw|2"}), (Events{"0|Raw|1", "0|Raw|2"}));
  EXPECT_EQ(Feed({std::string("ab\0cd", 5), std::string("\0ef", 3)}), Events{"ab"});
  // The first line feed switches to holding the tail.
  EXPECT_EQ(Feed({"alone", "d\ne", "f\n", "g"}, false), (Events{"alone", "d", "ef"}));
  EXPECT_EQ(Feed({"d\ne"}, true), (Events{"d", "e"}));
  EXPECT_EQ(Feed({"d\n"}, true), Events{"d"}) << "no tail, no message at close";
  EXPECT_EQ(Feed({"d\n", std::string("\0x", 2)}, true), (Events{"d", ""}));
  // A chunk that fills a whole receive is no request; the stream resumes after a line feed.
  const std::string full(LineAssembler::kMaxMessageLength, 'x');
  EXPECT_EQ(Feed({full, "more", "rest\n0|a|b\n"}), (Events{kTooLong, "0|a|b"}));
  EXPECT_EQ(Feed({full.substr(1), "0|Raw|2"}), (Events{full.substr(1), "0|Raw|2"}));
}

TEST(LineAssemblerTest, ALineTooLongIsDroppedAndTheStreamResumesAfterItsLineFeed) {
  const std::string longest(LineAssembler::kMaxMessageLength, 'x');
  const std::string half(LineAssembler::kMaxMessageLength / 2 + 1, 'y');
  EXPECT_EQ(Feed({"a\n" + longest.substr(0, 10), longest.substr(10) + "\nb\n"}),
            (Events{"a", longest, "b"}));
  EXPECT_EQ(Feed({"a\n" + half, half, half, half + "\nb\n"}), (Events{"a", kTooLong, "b"}));
  EXPECT_EQ(Feed({"a\n" + half, half + "\nb\n"}), (Events{"a", kTooLong, "b"}));
  EXPECT_EQ(Feed({"a\n" + half, half, "no line feed yet"}), (Events{"a", kTooLong}))
      << "a dropped line is not given at close";
}

TEST(LineAssemblerTest, SkippingTheRestOfAChunkDropsTheLineItCutsOff) {
  LineAssembler assembler;
  std::string message;
  const std::string cut = "a\nb\nc";
  assembler.Receive(cut.data(), cut.size());
  ASSERT_EQ(assembler.Next(message), LineAssembler::Event::Message);
  assembler.SkipRestOfChunk();
  EXPECT_EQ(Feed(assembler, {"d\ne\n"}, true), Events{"e"});

  assembler.Reset();
  const std::string whole = "a\nb\n";
  assembler.Receive(whole.data(), whole.size());
  ASSERT_EQ(assembler.Next(message), LineAssembler::Event::Message);
  assembler.SkipRestOfChunk();
  EXPECT_EQ(Feed(assembler, {"d\n"}, true), Events{"d"});
}

TEST(LineAssemblerTest, AnHttpRequestEndsTheStreamWhateverItsMethodAndTarget) {
  // What browsers send for fetch(), a form, a WebSocket and HTTP/2, pipes in path and query.
  for (const char* line :
       {"GET /x|Transport|Record|y HTTP/1.1", "GET /?q=0|ExecuteCommand|a|b HTTP/1.1\r",
        "POST /0|ChangeLumetri|exposure|1 HTTP/1.0", "FROB /0|Transport|Record|x HTTP/1.1\r",
        "OPTIONS * HTTP/1.1", "PRI * HTTP/2.0\r", "GET / HTTP/2", "get / HTTP/3", " HTTP/1.1",
        "Host: 127.0.0.1:4000", "host:x", "HOST: a|b|c"}) {
    EXPECT_TRUE(IsHttpRequestLine(line)) << line;
  }
  for (const char* line :
       {"0|Transport|Play", "1|GetParameters|HTTP/1.1", "GET / HTTP/1.1 ",
        "0|ExecuteCommand|a| HTTP/", "GET / HTTP/x", "Hostname: x", "", "0|Command|Host:"}) {
    EXPECT_FALSE(IsHttpRequestLine(line)) << line;
  }
  EXPECT_EQ(Feed({"GET /0|Transport|Record|y HTTP/1.1\r\nHost: 127.0.0.1:4000\r\nUpgrade: "
                  "websocket\r\n\r\n0|Transport|Record\n"}),
            Events{kRefused});
  EXPECT_EQ(Feed({"0|a|b\nPOST / HTTP/1.1\r\nHost: x\r\n\r\n0|Command|Quit\n", "0|c|d\n"}),
            (Events{"0|a|b", kRefused}));
  EXPECT_EQ(Feed({"GET /0|Transport|Record|y HTTP/1.1"}), Events{kRefused})
      << "also without any line feed";
}

}  // namespace
