// How the mixed byte stream of the line is cut into messages: shapes taken as soon as they are
// complete, quiet gaps for the rest, Modbus RTU requests by length, CRC and the 3.5-character
// silence, downloads taken whole until the line is quiet.
#include "stream_splitter.h"

#include "modbus_slave.h"

#include <gtest/gtest.h>

using namespace tessa_device;
using Kind = Message::Kind;

namespace {

const Bytes kJogStep {0xE3, 0x80, 0xED};

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
    StreamSplitter splitter;
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
    StreamSplitter splitter;
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

TEST(StreamSplitter, AModbusRequestWhoseCrcComesInASecondWriteAfterAPauseWaitsForIt)
{
    StreamSplitter splitter;
    const Bytes frame = withCrc({0x01, 0x10, 0x01, 0x06, 0x00, 0x01, 0x02, 0x00, 0x07});
    splitter.feed(Bytes(frame.begin(), frame.end() - 2), 0);
    EXPECT_TRUE(takeAll(splitter, 5).empty());
    splitter.feed(Bytes(frame.end() - 2, frame.end()), 6);
    const auto messages = takeAll(splitter, 6);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Modbus);
    EXPECT_EQ(messages[0].bytes, frame);
}

TEST(StreamSplitter, ABadCrcDropsTheRequestAndEverythingUpToThe35CharacterSilence)
{
    StreamSplitter splitter;  // 2 ms: 3.5 characters at 115200 baud
    Bytes frame = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    frame.back() ^= 0x01;
    splitter.feed(join({frame, bytesOf("ver\r\n")}), 0);  // same burst: dropped with it
    EXPECT_TRUE(takeAll(splitter, 0).empty());
    splitter.feed(bytesOf("ver\r\n"), 1);  // no silence yet: still dropped
    EXPECT_TRUE(takeAll(splitter, 1).empty());
    splitter.feed(bytesOf("ver\r\n"), 3);  // after the silence: heard again
    const auto messages = takeAll(splitter, 3);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(textOf(messages[0].bytes), "ver");
}

TEST(StreamSplitter, TheSilenceBetweenFramesFollowsTheBaudRate)
{
    EXPECT_EQ(frameGapAt(115200), 2);  // fixed 1.75 ms above 19200 baud
    EXPECT_EQ(frameGapAt(19200), 3);  // 2.005 ms
    EXPECT_EQ(frameGapAt(9600), 5);  // 4.01 ms
    EXPECT_EQ(frameGapAt(1200), 33);
    StreamSplitter::Timing timing;
    timing.frameGap = frameGapAt(9600);
    StreamSplitter splitter(timing);
    const Bytes request = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    Bytes bad = request;
    bad[7] ^= 0xFF;
    splitter.feed(bad, 0);
    splitter.feed(request, 4);  // 4 ms is no silence at 9600 baud
    EXPECT_TRUE(takeAll(splitter, 4).empty());
    splitter.feed(request, 9);
    EXPECT_EQ(takeAll(splitter, 9).size(), 1u);
}

TEST(StreamSplitter, AnUnfinishedRequestIsGivenUpAtASilenceUnlessWhatFollowsFinishesIt)
{
    StreamSplitter splitter;
    const Bytes request = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    // Cut off after six bytes; a whole request after the silence is heard.
    splitter.feed(Bytes(request.begin(), request.begin() + 6), 0);
    splitter.feed(request, 5);
    auto messages = takeAll(splitter, 5);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].bytes, request);
    // A request of 0x10 whose byte count promises more than ever comes: given up at the quiet gap.
    const Bytes longPromise {0x01, 0x10, 0x00, 0x00, 0x00, 0x40, 0x80, 0x00};
    splitter.feed(longPromise, 100);
    splitter.feed(request, 110);
    EXPECT_TRUE(takeAll(splitter, 110).empty());
    messages = takeAll(splitter, 140);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].bytes, request);
}

TEST(StreamSplitter, RequestsToEveryAddressAreTakenByLengthWhateverBytesTheyHold)
{
    // Slaves 10 and 13 begin with a line end byte, and registers and values may hold CR and LF.
    StreamSplitter splitter;
    for (int address = 0; address <= 247; ++address) {
        const auto id = static_cast<std::uint8_t>(address);
        const Bytes read = withCrc({id, 0x03, 0x0D, 0x0A, 0x00, 0x01});
        const Bytes write = withCrc({id, 0x10, 0x0A, 0x0D, 0x00, 0x01, 0x02, 0x0D, 0x0A});
        splitter.feed(join({read, write, bytesOf("ver\r\n")}), address);
        const auto messages = takeAll(splitter, address);
        ASSERT_EQ(messages.size(), 3u) << address;
        EXPECT_EQ(messages[0].kind, Kind::Modbus);
        EXPECT_EQ(messages[0].bytes, read) << address;
        EXPECT_EQ(messages[1].bytes, write) << address;
        EXPECT_EQ(textOf(messages[2].bytes), "ver") << address;
    }
    // A line ended by CR alone, then a request to slave 10 in the same read.
    const Bytes toTen = withCrc({0x0A, 0x03, 0x00, 0x00, 0x00, 0x01});
    splitter.feed(join({bytesOf("ver\r"), toTen}), 1000);
    const auto messages = takeAll(splitter, 1000);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].bytes, toTen);
    // Line end bytes that do not start a request are empty lines.
    splitter.feed(bytesOf("\r\n\n\r"), 2000);
    EXPECT_TRUE(takeAll(splitter, 2030).empty());
    EXPECT_EQ(splitter.held(), 0u);
}

TEST(StreamSplitter, ALineWithoutEndIsCutAtTheLongestLineAndHeldBytesStayBounded)
{
    StreamSplitter splitter;
    const Bytes chunk(4096, 'x');
    std::size_t tooLong = 0;
    for (int i = 0; i < 2560; ++i) {  // 10 MB without a line end, the line never quiet
        splitter.feed(chunk, i);
        for (const Message& m : takeAll(splitter, i))
            tooLong += m.kind == Kind::LineTooLong;
        ASSERT_LE(splitter.held(), StreamSplitter::kLongestLine + chunk.size());
    }
    EXPECT_EQ(tooLong, 1u);
    splitter.feed(bytesOf("yyy\r\nver\r\n"), 2560);  // its end, then a command
    const auto messages = takeAll(splitter, 2560);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(textOf(messages[0].bytes), "ver");
    // Bytes of no shape are a burst once there are too many to be a checksum frame.
    splitter.feed(Bytes(10000, 0xFF), 4000);
    EXPECT_EQ(takeAll(splitter, 4000).at(0).bytes.size(), StreamSplitter::kLongestBurst);
}

TEST(StreamSplitter, BytesOfNoShapeAreOneBurstAfterTheQuietGap)
{
    StreamSplitter splitter;
    Millis now = 0;
    // Bytes of no shape, text without a line end such as the HMI probe, a jog start whose third
    // byte is not ED.
    for (const Bytes& bytes : {Bytes {0x11, 0x22}, bytesOf("0930"), Bytes {0xE3, 0x00, 0x00}}) {
        splitter.feed(bytes, now);
        EXPECT_TRUE(takeAll(splitter, now + 29).empty());
        EXPECT_EQ(splitter.deadline(), now + 30);
        const auto messages = takeAll(splitter, now + 30);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, Kind::Burst);
        EXPECT_EQ(messages[0].bytes, bytes);
        now += 100;
    }
}

TEST(StreamSplitter, AnAnnouncedDownloadTakesEveryByteUntilTheLineIsQuiet)
{
    StreamSplitter splitter;
    splitter.expectDownload(0);
    EXPECT_TRUE(splitter.downloadExpected());
    // Bytes that look like commands, jog frames and Modbus requests are all file content.
    const Bytes file =
        join({bytesOf("ver\r\n"), kJogStep, withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), {0x00, 0xFF}});
    splitter.feed(Bytes(file.begin(), file.begin() + 4), 900);
    splitter.feed(Bytes(file.begin() + 4, file.end()), 1200);
    EXPECT_TRUE(takeAll(splitter, 2199).empty());
    EXPECT_EQ(splitter.deadline(), 2200);
    const auto messages = takeAll(splitter, 2200);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Download);
    EXPECT_EQ(messages[0].bytes, file);
    EXPECT_FALSE(splitter.downloadExpected());
    splitter.feed(bytesOf("ver\r\n"), 2300);
    EXPECT_EQ(takeAll(splitter, 2300).at(0).kind, Kind::Line);
}

TEST(StreamSplitter, AFileChosenLateIsStillTheFileAndADownloadNobodySendsEnds)
{
    StreamSplitter splitter;
    splitter.expectDownload(0);
    splitter.feed(bytesOf("N001 ABS=0\r\nc45\r\n"), 20000);
    EXPECT_TRUE(takeAll(splitter, 20999).empty());
    const auto file = takeAll(splitter, 21000);
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0].kind, Kind::Download);

    splitter.expectDownload(30000);
    EXPECT_TRUE(takeAll(splitter, 89999).empty());
    EXPECT_TRUE(splitter.downloadExpected());
    EXPECT_TRUE(takeAll(splitter, 90000).empty());
    EXPECT_FALSE(splitter.downloadExpected());
    splitter.feed(bytesOf("ver\r\n"), 90100);
    EXPECT_EQ(takeAll(splitter, 90100).at(0).kind, Kind::Line);
}

TEST(StreamSplitter, ADownloadPastTheLongestFileIsCountedNotHeld)
{
    StreamSplitter splitter;
    splitter.expectDownload(0);
    for (int i = 0; i < 100; ++i)
        splitter.feed(Bytes(4096, 'p'), i);
    EXPECT_EQ(splitter.held(), StreamSplitter::kLongestDownload);
    const auto messages = takeAll(splitter, 1099);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].bytes.size(), StreamSplitter::kLongestDownload);
    EXPECT_EQ(messages[0].bytes.size() + messages[0].bytesOverLimit, 409600u);
}
