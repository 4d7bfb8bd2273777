// The tessa-device program itself on a pseudo-terminal: Debian's libmodbus as an independent
// Modbus master, a raw descriptor for command lines and frames written back to back, random
// bytes, and the program's clean exit.
#include <gtest/gtest.h>

#include <modbus.h>

#include "raw_pty.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <poll.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// tessa-device started with --link in a folder of its own; stopped with SIGTERM at the end.
class DeviceProgram {
public:
    explicit DeviceProgram(std::vector<std::string> extra = {})
    {
        char pattern[] = "/tmp/tessa-device-program-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        link_ = folder_ + "/line";
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> args {TESSA_DEVICE_PROGRAM, "--link", link_, "--quiet"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;  // made before the fork: tests start devices from several threads
        argv.reserve(args.size() + 1);
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line names the path to open: the program is ready then.
        std::string line;
        char c;
        pollfd in {out[0], POLLIN, 0};
        while (::poll(&in, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        printed_ = line;
    }
    ~DeviceProgram()
    {
        stop();
        std::filesystem::remove_all(folder_);
    }
    // SIGTERM, then the exit status (-1 if it did not end within five seconds).
    int stop()
    {
        if (pid_ <= 0)
            return status_;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return status_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
        return status_ = -1;
    }
    const std::string& printed() const { return printed_; }
    const std::string& link() const { return link_; }

private:
    std::string folder_;
    std::string link_;
    std::string printed_;
    pid_t pid_ = -1;
    int status_ = -1;
};

// The terminal's side of the line as a raw descriptor.
class RawLine {
public:
    explicit RawLine(const std::string& path)
        : fd_(orvane::testing::openRawLine(path, false))
    {
    }
    ~RawLine()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open() const { return fd_ >= 0; }
    void send(const std::string& bytes)
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until the text ends with `until` (when given) or the time is up: with none, everything
    // that arrives meanwhile.
    std::string receive(const std::string& until, int milliseconds = 5000)
    {
        std::string got;
        pollfd in {fd_, POLLIN, 0};
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end && (until.empty() || !got.ends_with(until))) {
            if (::poll(&in, 1, 10) > 0) {
                char buffer[4096];
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0)
                    got.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return got;
    }

private:
    int fd_;
};

class ModbusMaster {
public:
    explicit ModbusMaster(const std::string& path, int slave = 1)
        : ctx_(modbus_new_rtu(path.c_str(), 115200, 'N', 8, 1))
    {
        ok_ = ctx_ && modbus_set_slave(ctx_, slave) == 0 && modbus_connect(ctx_) == 0;
        if (ok_)
            modbus_set_response_timeout(ctx_, 0, 300000);
    }
    ~ModbusMaster()
    {
        if (ctx_) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
    }
    bool ok() const { return ok_; }
    modbus_t* get() { return ctx_; }

private:
    modbus_t* ctx_;
    bool ok_ = false;
};

}  // namespace

TEST(DeviceProgram, AnswersAModbusMasterOfAnotherMake)
{
    DeviceProgram device;
    ModbusMaster master(device.link());
    ASSERT_TRUE(master.ok()) << modbus_strerror(errno);
    std::uint16_t words[4] = {};
    ASSERT_EQ(modbus_read_registers(master.get(), 0x200, 1, words), 1) << modbus_strerror(errno);
    EXPECT_EQ(words[0], 100);
    const std::uint16_t written[3] = {0x0000, 0x0640, 0xFFFF};
    ASSERT_EQ(modbus_write_registers(master.get(), 0x104, 3, written), 3) << modbus_strerror(errno);
    ASSERT_EQ(modbus_write_register(master.get(), 0x3FF, 0x1234), 1) << modbus_strerror(errno);
    ASSERT_EQ(modbus_read_input_registers(master.get(), 0x104, 3, words), 3) << modbus_strerror(errno);
    EXPECT_EQ(words[1], 0x0640);
    EXPECT_EQ(words[2], 0xFFFF);
    ASSERT_EQ(modbus_read_registers(master.get(), 0x3FF, 1, words), 1);
    EXPECT_EQ(words[0], 0x1234);

    EXPECT_EQ(modbus_read_registers(master.get(), 0x3FF, 2, words), -1);
    EXPECT_EQ(errno, EMBXILADD);
    std::uint8_t coils[1];
    EXPECT_EQ(modbus_read_bits(master.get(), 0, 1, coils), -1);
    EXPECT_EQ(errno, EMBXILFUN);
}

// A device at slave address id, written and read by libmodbus: what went wrong, or nothing.
std::string talkToSlave(int id)
{
    DeviceProgram device({"--slave-id", std::to_string(id)});
    ModbusMaster master(device.link(), id);
    if (!master.ok())
        return "no master";
    std::uint16_t word = 0;
    if (modbus_write_register(master.get(), 0x0D, 0x0A0D) != 1)
        return "write: errno " + std::to_string(errno);
    if (modbus_read_registers(master.get(), 0x0D, 1, &word) != 1)
        return "read: errno " + std::to_string(errno);
    return word == 0x0A0D ? std::string() : "read " + std::to_string(word);
}

TEST(DeviceProgram, EverySlaveAddressAnswersALibmodbusMaster)
{
    // Several devices at a time: starting a process is most of the cost.
    std::atomic<int> next {1};
    std::mutex lock;
    std::string failures;
    std::vector<std::thread> workers;
    workers.reserve(6);
    for (int w = 0; w < 6; ++w)
        workers.emplace_back([&] {
            for (int id = next++; id <= 247; id = next++) {
                const std::string problem = talkToSlave(id);
                const std::lock_guard<std::mutex> hold(lock);
                if (!problem.empty())
                    failures += "slave " + std::to_string(id) + ": " + problem + "\n";
            }
        });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(failures, "");
}

TEST(DeviceProgram, RequestsBackToBackAreEachAnswered)
{
    DeviceProgram device;
    {
        // libmodbus sends three requests without waiting, one to slave 13; then reads two answers.
        ModbusMaster master(device.link(), 1);
        ASSERT_TRUE(master.ok());
        const std::uint8_t read[] = {0x01, 0x03, 0x02, 0x00, 0x00, 0x01};
        const std::uint8_t toThirteen[] = {0x0D, 0x06, 0x00, 0x0A, 0x0D, 0x0A};
        const std::uint8_t write[] = {0x01, 0x06, 0x00, 0x0D, 0x0A, 0x0D};
        ASSERT_GT(modbus_send_raw_request(master.get(), read, sizeof read), 0);
        ASSERT_GT(modbus_send_raw_request(master.get(), toThirteen, sizeof toThirteen), 0);
        ASSERT_GT(modbus_send_raw_request(master.get(), write, sizeof write), 0);
        std::uint8_t answer[MODBUS_RTU_MAX_ADU_LENGTH];
        ASSERT_EQ(modbus_receive_confirmation(master.get(), answer), 7) << modbus_strerror(errno);
        EXPECT_EQ(answer[3] << 8 | answer[4], 100);
        ASSERT_EQ(modbus_receive_confirmation(master.get(), answer), 8) << modbus_strerror(errno);
        EXPECT_EQ(0, std::memcmp(answer, write, sizeof write));
    }
    // The same in a single write, as one read at the device.
    RawLine line(device.link());
    line.send(std::string("\x0D\x06\x00\x0A\x0D\x0A\x2D\x93"  // slave 13, holding CR and LF
                          "\x01\x03\x02\x00\x00\x01\x85\xB2"
                          "\x01\x06\x00\x0D\x0A\x0D\xDF\x6C",
                          24));
    EXPECT_EQ(line.receive({}, 500),
              std::string("\x01\x03\x02\x00\x64\xB9\xAF"
                          "\x01\x06\x00\x0D\x0A\x0D\xDF\x6C",
                          15));
}

TEST(DeviceProgram, KeepsAnsweringAfterRandomBytes)
{
    // Seeded random bytes, some of them commands, frames and announcements, for a bounded time;
    // answers are read meanwhile. Under the sanitizers this runs the whole program on them.
    char pattern[] = "/tmp/tessa-device-random-XXXXXX";
    const std::string downloads = ::mkdtemp(pattern);
    {
        DeviceProgram device({"--downloads", downloads});
        RawLine line(device.link());
        std::mt19937 random(20261207);
        const std::string words[] = {"c73\r\n", "c83\r\n",
                                     "ver\r\n", "REL=9223372036854775807,5\r\n",
                                     "0930",    std::string("\x01\x03\x02\x00\x00\x01\x85\xB2", 8),
                                     "\r",      "\n"};
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            std::string chunk;
            const std::size_t size = random() % 512 + 1;
            while (chunk.size() < size)
                chunk += random() % 4 == 0 ? words[random() % std::size(words)]
                                           : std::string(1, static_cast<char>(random()));
            line.send(chunk);
            line.receive({}, static_cast<int>(random() % 3));
        }
        line.receive({}, 1200);  // a download still open ends
        line.send("\r\nver\r\n");
        const std::string answer = line.receive("VER tessa-device 1.00\r\n");
        EXPECT_NE(answer.find("VER tessa-device 1.00\r\n"), std::string::npos);
        EXPECT_EQ(device.stop(), 0);
    }
    std::filesystem::remove_all(downloads);
}

TEST(DeviceProgram, PrintsTheLinkAnswersCommandLinesEndsOnSigtermAndRemovesItsLink)
{
    DeviceProgram device;
    ASSERT_EQ(device.printed(), device.link());
    ASSERT_TRUE(std::filesystem::is_symlink(device.link()));
    {
        RawLine line(device.link());  // opened and closed again: the device carries on
        ASSERT_TRUE(line.open());
        line.send("c69=0101\r\nrout\r\n");
        EXPECT_EQ(line.receive("OUT=0101\r\nOUT=0101\r\n"), "OUT=0101\r\nOUT=0101\r\n");
    }
    RawLine again(device.link());
    again.send("ver\r\n");
    EXPECT_EQ(again.receive("\r\n"), "VER tessa-device 1.00\r\n");
    EXPECT_EQ(device.stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(device.link())));
}

TEST(DeviceProgram, RefusesBadOptionsWithAMessageAndHelpsWhenAsked)
{
    auto run = [](const std::string& options, int& exitCode) {
        const std::string command = std::string(TESSA_DEVICE_PROGRAM) + " " + options + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        char text[2048] = {};
        const std::size_t n = pipe ? std::fread(text, 1, sizeof text - 1, pipe) : 0;
        exitCode = pipe ? WEXITSTATUS(::pclose(pipe)) : -1;
        return std::string(text, n);
    };
    int exitCode = 0;
    for (const char* bad : {"--slave-id 0", "--baud", "--bogus"}) {
        EXPECT_NE(run(bad, exitCode).find("usage: tessa-device"), std::string::npos) << bad;
        EXPECT_EQ(exitCode, 2) << bad;
    }
    const std::string help = run("--help", exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(help.find("--download-gap MS"), std::string::npos) << help;
}
