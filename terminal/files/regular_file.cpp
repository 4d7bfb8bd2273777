#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return u"a FIFO"_s;
    if (S_ISDIR(mode))
        return u"a folder"_s;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return u"a device"_s;
    if (S_ISSOCK(mode))
        return u"a socket"_s;
    return u"not a file"_s;
}

}  // namespace

bool openRegularFile(QFile& file, const QString& path, QString& error)
{
    // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = qt_error_string(errno);
        return false;
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = u"Not a regular file (%1)"_s.arg(kindOf(info.st_mode));
        ::close(fd);
        return false;
    }
    // Reads of a regular file never wait anyway; the flag goes so that they are plain reads.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        error = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
}

}  // namespace tessa
