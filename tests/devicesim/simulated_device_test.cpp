// The device's answers, driven on the test's own clock: command lines, outputs, the jog axis,
// the Modbus slave, the HMI probe, checksum frames and downloads kept on disk.
#include "simulated_device.h"

#include "modbus_crc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace tessa_device;

namespace {

std::string say(SimulatedDevice& device, const std::string& line, Millis now = 0)
{
    return textOf(device.receive(bytesOf(line + "\r\n"), now));
}

Bytes ask(SimulatedDevice& device, const Bytes& request, Millis now = 0)
{
    return device.receive(withCrc(request), now);
}

// What arrives for bytes that are only judged after the line went quiet.
Bytes afterGap(SimulatedDevice& device, const Bytes& bytes, Millis now = 0)
{
    Bytes reply = device.receive(bytes, now);
    const Bytes late = device.poll(now + 30);
    reply.insert(reply.end(), late.begin(), late.end());
    return reply;
}

}  // namespace

TEST(DeviceCommands, QueriesAnswerWithOneLineEndingInCrLf)
{
    SimulatedDevice device;
    EXPECT_EQ(say(device, "ver"), "VER tessa-device 1.00\r\n");
    EXPECT_EQ(say(device, "test"), "TEST OK\r\n");
    EXPECT_EQ(say(device, "rby"), "BUSY=0\r\n");
    EXPECT_EQ(say(device, "rse"), "SIO=0001\r\n");  // at home
    EXPECT_EQ(say(device, "c85"), "SENSOR=001\r\n");
    EXPECT_EQ(say(device, "c52"), "SPD=0\r\n");
    EXPECT_EQ(say(device, "c77"), "SAVED\r\n");
    EXPECT_EQ(say(device, "  ver  "), "VER tessa-device 1.00\r\n");
    EXPECT_EQ(say(device, "hello"), "ERR unknown command hello\r\n");
}

TEST(DeviceCommands, OutputPatternsSetAndClearBitsOut3ToOut0AndLoopBackToTheInputs)
{
    SimulatedDevice device;
    EXPECT_EQ(say(device, "c69=0001"), "OUT=0001\r\n");
    EXPECT_EQ(say(device, "c69=1010"), "OUT=1011\r\n");
    EXPECT_EQ(say(device, "c71=0011"), "OUT=1000\r\n");
    EXPECT_EQ(say(device, "c69=0000"), "OUT=1000\r\n");
    EXPECT_EQ(say(device, "rout"), "OUT=1000\r\n");
    EXPECT_EQ(say(device, "c54"), "IN=1000\r\n");
    EXPECT_EQ(say(device, "c69=01"), "ERR c69 needs four digits 0 or 1 (Out 3 to Out 0)\r\n");
    EXPECT_EQ(say(device, "c71=2000").substr(0, 8), "ERR c71 ");
    EXPECT_EQ(device.state().outputs, 0x8);
}

TEST(DeviceCommands, CommandRowsAddressDrivesByNumber)
{
    SimulatedDevice device;
    EXPECT_EQ(say(device, "REL=1600,3"), "3:OK POS=1600\r\n");
    EXPECT_EQ(say(device, "REL=-600,3"), "3:OK POS=1000\r\n");
    EXPECT_EQ(say(device, "ABS=200,12"), "12:OK POS=200\r\n");
    EXPECT_EQ(say(device, "SPD=50,12"), "12:OK SPD=50\r\n");
    EXPECT_EQ(say(device, ",0"), "0:ERR expected NAME=VALUE\r\n");  // an empty command box
    EXPECT_EQ(say(device, "REL=x,1"), "1:ERR REL needs a number\r\n");
    EXPECT_EQ(say(device, "REL=1,64"), "ERR drive number must be 0 to 63\r\n");
    EXPECT_EQ(device.state().drivePositions.at(3), 1000);
    // Past the 64-bit position range: refused, the position kept.
    EXPECT_EQ(say(device, "REL=9223372036854775807,3"), "3:ERR REL goes past the position range\r\n");
    EXPECT_EQ(say(device, "REL=-9223372036854775807,4"), "4:OK POS=-9223372036854775807\r\n");
    EXPECT_EQ(say(device, "REL=-5,4"), "4:ERR REL goes past the position range\r\n");
    EXPECT_EQ(device.state().drivePositions.at(3), 1000);
}

TEST(DeviceCommands, JogStepsHoldAndReleaseMoveTheAxisThatC53Reports)
{
    SimulatedDevice device;
    EXPECT_TRUE(device.receive({0xE3, 0x00, 0xED}, 0).empty());  // jog frames get no answer
    EXPECT_EQ(say(device, "c53", 1), "POS=10\r\n");
    device.receive({0xD8, 0x80, 0xED}, 1000);  // held: 1000 pulses a second, negative
    EXPECT_EQ(say(device, "rby", 1500), "BUSY=1\r\n");
    EXPECT_EQ(say(device, "c52", 1500), "SPD=1000\r\n");
    EXPECT_EQ(say(device, "c53", 1500), "POS=-490\r\n");
    device.receive({0xE6, 0x00, 0xED, 0xE6, 0x00, 0xED, 0xE3, 0x80, 0xED}, 2000);  // release, release, step
    EXPECT_EQ(say(device, "c53", 9000), "POS=-1000\r\n");
    EXPECT_EQ(say(device, "c99=0", 9000), "ENC0=-1000\r\n");
    EXPECT_EQ(say(device, "c99=2", 9000), "ENC2=0\r\n");
    EXPECT_EQ(say(device, "c44", 9000), "HOME OK\r\n");
    EXPECT_EQ(say(device, "c53", 9000), "POS=0\r\n");
}

TEST(DeviceCommands, AbsoluteMovesStayWithinTheTravelAndReachTheLimitSwitches)
{
    SimulatedDevice device;
    EXPECT_EQ(say(device, "c41=8300000"), "ABS=8300000\r\n");
    EXPECT_EQ(say(device, "rse"), "SIO=0010\r\n");
    EXPECT_EQ(say(device, "c41=-8300000"), "ABS=-8300000\r\n");
    EXPECT_EQ(say(device, "c85"), "SENSOR=100\r\n");
    EXPECT_EQ(say(device, "c41=8300001"), "ERR c41 needs a position from -8300000 to 8300000\r\n");
    EXPECT_EQ(say(device, "c41=12a").substr(0, 7), "ERR c41");
    EXPECT_EQ(say(device, "c53"), "POS=-8300000\r\n");
}

TEST(DeviceCommands, StartAndStopRunTheProgramAndStopEndsAJog)
{
    SimulatedDevice device;
    EXPECT_EQ(say(device, "c43"), "RUN\r\n");
    EXPECT_EQ(say(device, "rby"), "BUSY=1\r\n");
    device.receive({0xD8, 0x00, 0xED}, 0);
    EXPECT_EQ(say(device, "c45", 250), "STOP POS=250\r\n");
    EXPECT_EQ(say(device, "rby", 900), "BUSY=0\r\n");
    EXPECT_EQ(say(device, "c53", 900), "POS=250\r\n");
}

TEST(DeviceModbus, ReadsWritesAndExceptions)
{
    SimulatedDevice device;
    // The version register, then a two-register write read back.
    EXPECT_EQ(ask(device, {0x01, 0x03, 0x02, 0x00, 0x00, 0x01}), withCrc({0x01, 0x03, 0x02, 0x00, 0x64}));
    EXPECT_EQ(ask(device, {0x01, 0x10, 0x01, 0x04, 0x00, 0x02, 0x04, 0x00, 0x00, 0x06, 0x40}),
              withCrc({0x01, 0x10, 0x01, 0x04, 0x00, 0x02}));
    EXPECT_EQ(ask(device, {0x01, 0x04, 0x01, 0x04, 0x00, 0x02}), withCrc({0x01, 0x04, 0x04, 0x00, 0x00, 0x06, 0x40}));
    // Write single echoes the request.
    const Bytes single = withCrc({0x01, 0x06, 0x03, 0xFF, 0xBE, 0xEF});
    EXPECT_EQ(device.receive(single, 0), single);
    EXPECT_EQ(device.modbus().reg(0x3FF), 0xBEEF);
    // Past the table, a count of 0 or more than 125, a byte count that disagrees.
    EXPECT_EQ(ask(device, {0x01, 0x03, 0x03, 0xFF, 0x00, 0x02}), withCrc({0x01, 0x83, 0x02}));
    EXPECT_EQ(ask(device, {0x01, 0x03, 0x00, 0x00, 0x00, 0x00}), withCrc({0x01, 0x83, 0x03}));
    EXPECT_EQ(ask(device, {0x01, 0x03, 0x00, 0x00, 0x00, 0x7E}), withCrc({0x01, 0x83, 0x03}));
    EXPECT_EQ(ask(device, {0x01, 0x06, 0x04, 0x00, 0x00, 0x01}), withCrc({0x01, 0x86, 0x02}));
    EXPECT_EQ(ask(device, {0x01, 0x10, 0x00, 0x3A, 0x00, 0x02, 0x02, 0x00, 0x00}), withCrc({0x01, 0x90, 0x03}));
    // A function the slave lacks is only known to be a request once the line is quiet.
    EXPECT_EQ(afterGap(device, withCrc({0x01, 0x05, 0x00, 0x01, 0xFF, 0x00})), withCrc({0x01, 0x85, 0x01}));
}

TEST(DeviceModbus, SilenceForBadCrcOtherSlavesBroadcastsAndCutOffRequests)
{
    SimulatedDevice device;
    Bytes bad = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    bad[6] ^= 0xFF;
    EXPECT_TRUE(afterGap(device, bad).empty());
    EXPECT_TRUE(afterGap(device, withCrc({0x02, 0x03, 0x02, 0x00, 0x00, 0x01}), 100).empty());
    EXPECT_TRUE(afterGap(device, {0x01, 0x03, 0x02, 0x00, 0x00, 0x01}, 200).empty());  // no CRC
    // A broadcast write is carried out, unanswered.
    EXPECT_TRUE(afterGap(device, withCrc({0x00, 0x06, 0x00, 0x3A, 0x00, 0x05}), 300).empty());
    EXPECT_EQ(device.modbus().reg(0x3A), 5);
}

TEST(DeviceModbus, SlavesTenAndThirteenAnswerBackToBackAndOtherSlavesRequestsGetNothing)
{
    for (const std::uint8_t id : {std::uint8_t {10}, std::uint8_t {13}}) {
        DeviceOptions options;
        options.slaveId = id;
        SimulatedDevice device(options);
        // In one read: requests to the other line-end address holding CR and LF, then two of its own.
        const auto other = static_cast<std::uint8_t>(id == 10 ? 13 : 10);
        const Bytes toOther = withCrc({other, 0x06, 0x00, 0x0A, 0x0D, 0x0A});
        const Bytes toOtherMany = withCrc({other, 0x10, 0x00, 0x0A, 0x00, 0x01, 0x02, 0x0A, 0x0D});
        const Bytes write = withCrc({id, 0x06, 0x00, 0x0D, 0x0A, 0x0D});
        const Bytes read = withCrc({id, 0x03, 0x00, 0x0D, 0x00, 0x01});
        Bytes all = toOther;
        for (const Bytes* part : {&toOtherMany, &write, &read})
            all.insert(all.end(), part->begin(), part->end());
        Bytes expected = write;
        const Bytes readAnswer = withCrc({id, 0x03, 0x02, 0x0A, 0x0D});
        expected.insert(expected.end(), readAnswer.begin(), readAnswer.end());
        EXPECT_EQ(afterGap(device, all), expected) << int {id};
        EXPECT_EQ(device.modbus().reg(0x0A), 0) << int {id};
    }
}

TEST(DeviceProbes, HmiProbeAndChecksumFrames)
{
    SimulatedDevice device;
    const std::string hmi = textOf(afterGap(device, bytesOf("0930")));
    EXPECT_EQ(hmi.substr(0, 2), "TT");
    EXPECT_EQ(hmi.substr(hmi.size() - 2), "\r\n");
    // The terminal's checksum frame: its last byte the sum of the others gets ACK and the sum.
    EXPECT_EQ(afterGap(device, {0x11, 0x22, 0x33}, 100), (Bytes {0x06, 0x33}));
    EXPECT_EQ(afterGap(device, {0x80, 0x90, 0x10}, 200), (Bytes {0x06, 0x10}));  // modulo 256
    EXPECT_EQ(afterGap(device, {0x11, 0x22}, 300), (Bytes {0x15, 0x11}));
    EXPECT_EQ(afterGap(device, {0x05}, 400), (Bytes {0x15, 0x00}));
}

namespace {

// A folder of the test's own, removed at the end.
struct TempFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path()
        / ("tessa-device-test-" + std::to_string(::getpid()) + "-"
           + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
};

std::string contentOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Announces a file with c73 or c83, sends it and returns the answer once the line is quiet.
std::string download(SimulatedDevice& device, const std::string& announcement, const Bytes& file, Millis now)
{
    say(device, announcement, now);
    device.receive(file, now + 10);
    return textOf(device.poll(now + 1010));
}

}  // namespace

TEST(DeviceDownloads, FilesAreKeptInArrivalOrderAndReadBack)
{
    TempFolder folder;
    DeviceOptions options;
    options.downloadDir = folder.path;
    SimulatedDevice device(options);

    const Bytes program {0x00, 'N', '1', 0xFF, '\r', '\n', 0x0D};
    EXPECT_EQ(say(device, "c73", 0), "READY PROGRAM\r\n");
    EXPECT_TRUE(device.receive(Bytes(program.begin(), program.begin() + 3), 900).empty());
    EXPECT_TRUE(device.receive(Bytes(program.begin() + 3, program.end()), 1000).empty());
    EXPECT_TRUE(device.poll(1999).empty());
    EXPECT_EQ(textOf(device.poll(2000)), "PROGRAM 7 BYTES\r\n");
    EXPECT_EQ(download(device, "c83", bytesOf("P01=5\r\n"), 3000), "PARAMETERS 7 BYTES\r\n");
    EXPECT_EQ(say(device, "c57", 5000), "P01=5\r\nEND\r\n");

    ASSERT_EQ(device.savedDownloads().size(), 2u);
    EXPECT_EQ(device.savedDownloads()[0].filename(), "program-001.txt");
    EXPECT_EQ(device.savedDownloads()[1].filename(), "parameters-002.txt");
    EXPECT_EQ(contentOf(device.savedDownloads()[0]), textOf(program));
    EXPECT_EQ(say(device, "c56", 6000), textOf(program) + "\r\nEND\r\n");  // no line end at the end: one added
}

TEST(DeviceDownloads, NumberingGoesOnAfterARestartAndNeverWritesThroughAPlantedLink)
{
    TempFolder folder;
    writeFile(folder.path / "program-001.txt", "earlier");
    writeFile(folder.path / "parameters-007.txt", "earlier too");
    const std::filesystem::path outside = folder.path / "outside.txt";
    writeFile(outside, "not to be touched");
    DeviceOptions options;
    options.downloadDir = folder.path;
    {
        SimulatedDevice device(options);
        // Planted after the device looked at the folder, at the very names it would use next.
        std::filesystem::create_symlink(outside, folder.path / "program-008.txt");
        std::filesystem::create_symlink(folder.path / "nowhere.txt", folder.path / "program-009.txt");
        EXPECT_EQ(download(device, "c73", bytesOf("N1\r\n"), 0), "PROGRAM 4 BYTES\r\n");
        ASSERT_EQ(device.savedDownloads().size(), 1u);
        EXPECT_EQ(device.savedDownloads()[0].filename(), "program-010.txt");
    }
    SimulatedDevice restarted(options);
    EXPECT_EQ(download(restarted, "c83", bytesOf("P1\r\n"), 0), "PARAMETERS 4 BYTES\r\n");
    ASSERT_EQ(restarted.savedDownloads().size(), 1u);
    EXPECT_EQ(restarted.savedDownloads()[0].filename(), "parameters-011.txt");
    EXPECT_EQ(contentOf(folder.path / "program-001.txt"), "earlier");
    EXPECT_EQ(contentOf(folder.path / "parameters-007.txt"), "earlier too");
    EXPECT_EQ(contentOf(outside), "not to be touched");
    EXPECT_FALSE(std::filesystem::exists(folder.path / "nowhere.txt"));
}

TEST(DeviceDownloads, TheLimitsAreSaidInTheAnswer)
{
    TempFolder folder;
    writeFile(folder.path / "program-999.txt", "the last number");
    DeviceOptions options;
    options.downloadDir = folder.path;
    SimulatedDevice device(options);
    // A full folder: the file is taken in, not kept.
    EXPECT_EQ(download(device, "c73", bytesOf("N1\r\n"), 0), "PROGRAM 4 BYTES (NOT KEPT: FOLDER FULL)\r\n");
    EXPECT_EQ(say(device, "c56", 2000), "N1\r\nEND\r\n");
    // A file past the longest: refused whole, the stored program stays.
    const Bytes huge(StreamSplitter::kLongestDownload + 1, 'x');
    EXPECT_EQ(download(device, "c73", huge, 3000), "ERR PROGRAM TOO LARGE: 65537 BYTES, AT MOST 65536\r\n");
    EXPECT_EQ(say(device, "c56", 5000), "N1\r\nEND\r\n");
    EXPECT_TRUE(device.savedDownloads().empty());

    DeviceOptions unwritable;
    unwritable.downloadDir = "/nonexistent-folder/for-tessa-device";
    SimulatedDevice elsewhere(unwritable);
    EXPECT_EQ(download(elsewhere, "c73", bytesOf("N1\r\n"), 0), "PROGRAM 4 BYTES (NOT KEPT: CANNOT WRITE)\r\n");
    EXPECT_EQ(say(elsewhere, "c56", 2000), "N1\r\nEND\r\n");  // still taken in
}

TEST(DeviceDownloads, AStopAfterACancelledDownloadIsACommandNotAFile)
{
    SimulatedDevice device;
    say(device, "c43", 0);
    EXPECT_EQ(say(device, "c73", 10), "READY PROGRAM\r\n");
    EXPECT_TRUE(device.poll(1010).empty());  // the file dialog was cancelled: nothing comes
    EXPECT_EQ(say(device, "c45", 1500), "STOP POS=0\r\n");
    EXPECT_EQ(say(device, "rby", 1500), "BUSY=0\r\n");
    EXPECT_EQ(say(device, "c56", 1500), DeviceState {}.program + "END\r\n");
}

TEST(DeviceDownloads, TheAnnouncementsLineEndInTheNextReadIsNotPartOfTheFile)
{
    SimulatedDevice device;
    EXPECT_EQ(textOf(device.receive(bytesOf("c83\r"), 1000)), "READY PARAMETERS\r\n");
    device.receive(bytesOf("\nP01=7\r\n"), 1001);
    EXPECT_EQ(textOf(device.poll(2001)), "PARAMETERS 7 BYTES\r\n");
}
