// tessa-device: a simulated device on a serial line for the tessa terminal.
//
//   tessa-device [--link PATH] [--port PATH [--baud N]] [--slave-id N] [--downloads DIR]
//                [--download-gap MS] [--quiet] [--exit-with-parent]
//
// Without --port it makes a pseudo-terminal and prints the path the terminal should open as
// the first line on standard output. Each message and answer is logged on standard error.
// What it answers is described in devicesim/README.md.
#include "simulated_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace {

using tessa_device::Bytes;
using tessa_device::Millis;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

Millis nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct Options {
    std::string link;
    std::string port;
    long baud = 115200;
    long slaveId = 1;
    std::string downloads;
    long downloadGap = 1000;
    bool quiet = false;
    bool exitWithParent = false;
};

constexpr const char* kUsage =
    "usage: tessa-device [--link PATH] [--port PATH [--baud N]] [--slave-id 1..247]\n"
    "                    [--downloads DIR] [--download-gap MS] [--quiet] [--exit-with-parent]\n";

[[noreturn]] void usage(const char* problem)
{
    std::fprintf(stderr, "tessa-device: %s\n%s", problem, kUsage);
    std::exit(2);
}

[[noreturn]] void help()
{
    std::printf("tessa-device: a simulated serial device for the tessa terminal.\n%s\n"
                "  --link PATH         make a pseudo-terminal and a link to it at PATH\n"
                "  --port PATH         use an existing serial port instead\n"
                "  --baud N            its baud rate (default 115200)\n"
                "  --slave-id N        Modbus slave address, 1..247 (default 1)\n"
                "  --downloads DIR     keep downloaded files in DIR\n"
                "  --download-gap MS   quiet time that ends a file being downloaded (default 1000)\n"
                "  --quiet             no log of messages on stderr\n"
                "  --exit-with-parent  end when the process that started it ends\n",
                kUsage);
    std::exit(0);
}

Options parse(int argc, char* argv[])
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage((arg + " needs a value").c_str());
            return argv[++i];
        };
        auto integer = [&](long low, long high) {
            const std::string text = value();
            char* end = nullptr;
            const long number = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || number < low || number > high)
                usage((arg + " takes a number from " + std::to_string(low) + " to " + std::to_string(high)).c_str());
            return number;
        };
        if (arg == "--help" || arg == "-h")
            help();
        else if (arg == "--link")
            options.link = value();
        else if (arg == "--port")
            options.port = value();
        else if (arg == "--baud")
            options.baud = integer(50, 4000000);
        else if (arg == "--slave-id")
            options.slaveId = integer(1, 247);
        else if (arg == "--downloads")
            options.downloads = value();
        else if (arg == "--download-gap")
            options.downloadGap = integer(10, 600000);
        else if (arg == "--quiet")
            options.quiet = true;
        else if (arg == "--exit-with-parent")
            options.exitWithParent = true;
        else
            usage(("unknown option " + arg).c_str());
    }
    return options;
}

speed_t speedCode(long baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        usage("--baud takes 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or 230400");
    }
}

bool makeRaw(int fd, long baud)
{
    termios settings {};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetispeed(&settings, speedCode(baud));
    cfsetospeed(&settings, speedCode(baud));
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

// The line the device talks on: a pty master (with the slave held open, so that the master
// does not report a hang-up each time the terminal disconnects) or a given port.
struct Line {
    int fd = -1;
    int heldSlave = -1;
    std::string path;  // what the terminal opens
};

Line openLine(const Options& options)
{
    Line line;
    if (!options.port.empty()) {
        line.fd = ::open(options.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (line.fd < 0 || !makeRaw(line.fd, options.baud)) {
            std::fprintf(stderr, "tessa-device: cannot open %s: %s\n", options.port.c_str(), std::strerror(errno));
            std::exit(1);
        }
        line.path = options.port;
        return line;
    }
    line.fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.fd < 0 || grantpt(line.fd) != 0 || unlockpt(line.fd) != 0) {
        std::fprintf(stderr, "tessa-device: cannot make a pseudo-terminal: %s\n", std::strerror(errno));
        std::exit(1);
    }
    const char* slave = ptsname(line.fd);
    line.heldSlave = slave ? ::open(slave, O_RDWR | O_NOCTTY) : -1;
    if (line.heldSlave < 0 || !makeRaw(line.heldSlave, options.baud)) {
        std::fprintf(stderr, "tessa-device: cannot open the pseudo-terminal %s\n", slave ? slave : "?");
        std::exit(1);
    }
    line.path = slave;
    if (!options.link.empty()) {
        ::unlink(options.link.c_str());
        if (::symlink(slave, options.link.c_str()) != 0) {
            std::fprintf(stderr, "tessa-device: cannot make the link %s: %s\n", options.link.c_str(),
                         std::strerror(errno));
            std::exit(1);
        }
        line.path = options.link;
    }
    return line;
}

// Writes every byte, waiting for the line to take them; gives up after a second of no room
// (nobody reading), saying so.
void writeAll(int fd, const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size() && !stopRequested) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        pollfd out {fd, POLLOUT, 0};
        if (::poll(&out, 1, 1000) == 0)
            break;
    }
    if (done < bytes.size())
        std::fprintf(stderr, "tessa-device: %zu reply bytes not sent (nobody reading)\n", bytes.size() - done);
}

}  // namespace

int main(int argc, char* argv[])
{
    const Options options = parse(argc, argv);
#if defined(__linux__)
    if (options.exitWithParent)
        prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    struct sigaction stop { };
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    tessa_device::DeviceOptions deviceOptions;
    deviceOptions.slaveId = static_cast<std::uint8_t>(options.slaveId);
    deviceOptions.downloadDir = options.downloads;
    deviceOptions.timing.frameGap = tessa_device::frameGapAt(options.baud);
    deviceOptions.timing.downloadGap = options.downloadGap;
    // Bytes of no shape wait for a gap well clear of the silences between RTU frames.
    deviceOptions.timing.burstGap = std::max<Millis>(deviceOptions.timing.burstGap, 2 * deviceOptions.timing.frameGap);
    tessa_device::SimulatedDevice device(deviceOptions);
    if (!options.quiet)
        device.setLog([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });

    const Line line = openLine(options);
    std::printf("%s\n", line.path.c_str());
    std::fflush(stdout);

    Bytes buffer(4096);
    while (!stopRequested) {
        int timeout = 200;  // also how soon a stop request is noticed
        if (const auto due = device.deadline())
            timeout = static_cast<int>(std::clamp<Millis>(*due - nowMs(), 0, timeout));
        pollfd in {line.fd, POLLIN, 0};
        const int ready = ::poll(&in, 1, timeout);
        if (ready > 0 && (in.revents & POLLIN)) {
            const ssize_t n = ::read(line.fd, buffer.data(), buffer.size());
            if (n > 0)
                writeAll(line.fd, device.receive(Bytes(buffer.begin(), buffer.begin() + n), nowMs()));
        } else if (ready > 0 && (in.revents & (POLLHUP | POLLERR))) {
            if (line.heldSlave < 0) {
                std::fprintf(stderr, "tessa-device: the port %s went away\n", line.path.c_str());
                break;
            }
            ::usleep(50000);
        }
        writeAll(line.fd, device.poll(nowMs()));
    }
    if (!options.link.empty() && options.port.empty())
        ::unlink(options.link.c_str());
    return 0;
}
