#include "raw_pty.h"

#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace orvane::testing {

int openRawLine(const std::string& path, bool nonBlocking)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | (nonBlocking ? O_NONBLOCK : 0));
    termios tio {};
    if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

DirectPty::DirectPty()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return;
    path_ = ::ptsname(master_);
    device_ = openRawLine(path_, false);
}

DirectPty::~DirectPty()
{
    if (device_ >= 0)
        ::close(device_);
    if (master_ >= 0)
        ::close(master_);
}

}  // namespace orvane::testing
