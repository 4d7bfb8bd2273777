// How the mixed byte stream of the line is cut into messages: shapes taken as soon as they are
// complete, quiet gaps for the rest, bad Modbus requests dropped, downloads taken whole.
#include "stream_splitter.h"

#include "modbus_slave.h"

#include <gtest/gtest.h>

using namespace tessa_device;
using Kind = Message::Kind;

namespace {

const Bytes kJogStep{0xE3, 0x80, 0xED};

// Every message complete at time now, oldest first.
std::vector<Message> takeAll(StreamSplitter& splitter, Millis now)
{
    std::vector<Message> messages;
    while (std::optional<Message> message = splitter.takeOne(now))
        messages.push_back(std::move(*message));
    return messages;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace

TEST(StreamSplitter, LinesEndAtCrLfCrOrLfAndMaySpanSeveralReads)
{
    StreamSplitter splitter(1);
    splitter.feed(bytesOf("ve"), 0);
    EXPECT_TRUE(takeAll(splitter, 0).empty());
    splitter.feed(bytesOf("r\r"), 1);
    splitter.feed(bytesOf("\nrout\nc53\r"), 2);
    const auto messages = takeAll(splitter, 2);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(textOf(messages[0].bytes), "ver");
    EXPECT_EQ(textOf(messages[1].bytes), "rout");
    EXPECT_EQ(textOf(messages[2].bytes), "c53");
    for (const Message& m : messages)
        EXPECT_EQ(m.kind, Kind::Line);
    // The LF of the last CR LF arriving late is not an empty line.
    splitter.feed(bytesOf("\n"), 3);
    EXPECT_TRUE(takeAll(splitter, 100).empty());
    EXPECT_FALSE(splitter.deadline().has_value());
}

TEST(StreamSplitter, RecordsSentBackToBackComeOutOneByOne)
{
    StreamSplitter splitter(1);
    const Bytes read = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    const Bytes write = withCrc({0x01, 0x10, 0x01, 0x04, 0x00, 0x02, 0x04, 0x00, 0x00, 0x06, 0x40});
    splitter.feed(join({bytesOf("ver\r\n"), kJogStep, read, write, bytesOf("c53\r\n")}), 0);
    const auto messages = takeAll(splitter, 0);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].kind, Kind::Line);
    EXPECT_EQ(messages[1].kind, Kind::Jog);
    EXPECT_EQ(messages[1].bytes, kJogStep);
    EXPECT_EQ(messages[2].kind, Kind::Modbus);
    EXPECT_EQ(messages[2].bytes, read);
    EXPECT_EQ(messages[3].kind, Kind::Modbus);
    EXPECT_EQ(messages[3].bytes, write);
    EXPECT_EQ(textOf(messages[4].bytes), "c53");
}

TEST(StreamSplitter, AModbusRequestWhoseCrcComesInASecondWriteWaitsForIt)
{
    StreamSplitter splitter(1);
    const Bytes frame = withCrc({0x01, 0x10, 0x01, 0x06, 0x00, 0x01, 0x02, 0x00, 0x07});
    splitter.feed(Bytes(frame.begin(), frame.end() - 2), 0);
    EXPECT_TRUE(takeAll(splitter, 5).empty());
    splitter.feed(Bytes(frame.end() - 2, frame.end()), 6);
    const auto messages = takeAll(splitter, 6);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Modbus);
    EXPECT_EQ(messages[0].bytes, frame);
}

TEST(StreamSplitter, ABadCrcDropsTheRequestAndEverythingUpToTheNextQuietGap)
{
    StreamSplitter splitter(1);
    Bytes frame = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    frame.back() ^= 0x01;
    splitter.feed(frame, 0);
    EXPECT_TRUE(takeAll(splitter, 0).empty());
    splitter.feed(bytesOf("ver\r\n"), 10);  // same burst: dropped with it
    EXPECT_TRUE(takeAll(splitter, 10).empty());
    EXPECT_TRUE(takeAll(splitter, 40).empty());
    splitter.feed(bytesOf("ver\r\n"), 100);  // after the gap: heard again
    const auto messages = takeAll(splitter, 100);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(textOf(messages[0].bytes), "ver");
}

TEST(StreamSplitter, BytesOfNoShapeAreOneBurstAfterTheQuietGap)
{
    StreamSplitter splitter(1);
    splitter.feed({0x11, 0x22}, 0);
    EXPECT_TRUE(takeAll(splitter, 29).empty());
    EXPECT_EQ(splitter.deadline(), 30);
    auto messages = takeAll(splitter, 30);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Burst);
    EXPECT_EQ(messages[0].bytes, (Bytes{0x11, 0x22}));
    // Text without a line end, such as the HMI probe, is a burst too.
    splitter.feed(bytesOf("0930"), 100);
    messages = takeAll(splitter, 130);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Burst);
    EXPECT_EQ(textOf(messages[0].bytes), "0930");
    // A jog start whose third byte is not ED has no shape either.
    splitter.feed({0xE3, 0x00, 0x00}, 200);
    messages = takeAll(splitter, 230);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Burst);
}

TEST(StreamSplitter, AnAnnouncedDownloadTakesEveryByteUntilTheLongerGap)
{
    StreamSplitter splitter(1);
    splitter.expectDownload(0);
    EXPECT_TRUE(splitter.downloadExpected());
    // Bytes that look like commands, jog frames and Modbus requests are all file content.
    const Bytes file = join({bytesOf("ver\r\n"), kJogStep, withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), {0x00, 0xFF}});
    splitter.feed(Bytes(file.begin(), file.begin() + 4), 5000);  // the operator took 5 s to choose
    splitter.feed(Bytes(file.begin() + 4, file.end()), 5200);
    EXPECT_TRUE(takeAll(splitter, 5499).empty());
    const auto messages = takeAll(splitter, 5500);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Download);
    EXPECT_EQ(messages[0].bytes, file);
    EXPECT_FALSE(splitter.downloadExpected());
    splitter.feed(bytesOf("ver\r\n"), 6000);
    EXPECT_EQ(takeAll(splitter, 6000).at(0).kind, Kind::Line);
}

TEST(StreamSplitter, ADownloadNobodySendsIsForgottenAfterTheWait)
{
    StreamSplitter::Timing timing;
    timing.downloadWait = 1000;
    StreamSplitter splitter(1, timing);
    splitter.expectDownload(0);
    EXPECT_EQ(splitter.deadline(), 1000);
    EXPECT_TRUE(takeAll(splitter, 1000).empty());
    EXPECT_FALSE(splitter.downloadExpected());
    splitter.feed(bytesOf("ver\r\n"), 1500);
    const auto messages = takeAll(splitter, 1500);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Line);
}

TEST(StreamSplitter, RequestsToOtherSlavesHaveNoShapeAndBroadcastsHaveOne)
{
    StreamSplitter splitter(7);
    const Bytes toSlave1 = withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01});
    const Bytes broadcast = withCrc({0x00, 0x06, 0x00, 0x10, 0x12, 0x34});
    splitter.feed(broadcast, 0);
    auto messages = takeAll(splitter, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Modbus);
    splitter.feed(toSlave1, 100);
    EXPECT_TRUE(takeAll(splitter, 100).empty());
    messages = takeAll(splitter, 130);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Burst);
}
