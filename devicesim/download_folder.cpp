#include "download_folder.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tessa_device {

namespace {

// The number in "program-NNN.txt" or "parameters-NNN.txt", 0 for any other name.
int numberOf(const std::string& name)
{
    for (const std::string prefix : {"program-", "parameters-"}) {
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0
            || name.compare(name.size() - 4, 4, ".txt") != 0)
            continue;
        int number = 0;
        const char* begin = name.data() + prefix.size();
        const char* end = name.data() + name.size() - 4;
        const auto [stop, error] = std::from_chars(begin, end, number);
        if (error == std::errc() && stop == end && number > 0)
            return number;
    }
    return 0;
}

bool writeAll(int fd, const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

DownloadFolder::DownloadFolder(std::filesystem::path folder)
    : folder_(std::move(folder))
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        const int number = numberOf(entry.path().filename().string());
        if (number >= next_)
            next_ = number + 1;
    }
}

DownloadFolder::Kept DownloadFolder::keep(const std::string& kind, const Bytes& file)
{
    for (; next_ <= kMostFiles; ++next_) {
        char name[40];
        std::snprintf(name, sizeof name, "%s-%03d.txt", kind.c_str(), next_);
        const std::filesystem::path path = folder_ / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;  // taken since the folder was looked at, or planted
        if (fd < 0)
            return {std::nullopt, "CANNOT WRITE"};
        const bool written = writeAll(fd, file);
        if (::close(fd) != 0 || !written) {
            ::unlink(path.c_str());
            return {std::nullopt, "CANNOT WRITE"};
        }
        ++next_;
        return {path, {}};
    }
    return {std::nullopt, "FOLDER FULL"};
}

}  // namespace tessa_device
