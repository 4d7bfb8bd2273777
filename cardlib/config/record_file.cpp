#include "record_file.h"

#include <atomic>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ktr4 {
namespace {

// Temporary files are named <target>.ktr4-saving-<process>-<sequence>: unique per save, so
// two savers never share one, and a saver that was killed is recognised by its process id.
constexpr const char* kTempMarker = ".ktr4-saving-";
std::atomic<uint32_t> g_sequence {0};

std::string temp_name(const std::string& target, unsigned long process)
{
    return target + kTempMarker + std::to_string(process) + "-" + std::to_string(g_sequence++);
}

}  // namespace

FileReplacement::~FileReplacement()
{
    discard();
}

#if defined(_WIN32)

RecordRead read_record_prefix(const char* path, unsigned char* bytes, size_t size)
{
    if (path == nullptr)
        return RecordRead::kCannotOpen;
    // Directories cannot be opened this way (they need backup semantics): 309 as wanted.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return RecordRead::kCannotOpen;
    if (GetFileType(file) != FILE_TYPE_DISK) {  // a pipe or a device: nothing a record is kept in
        CloseHandle(file);
        return RecordRead::kCannotOpen;
    }
    size_t got = 0;
    bool failed = false;
    while (got < size) {
        DWORD n = 0;
        if (!ReadFile(file, bytes + got, static_cast<DWORD>(size - got), &n, nullptr)) {
            failed = true;
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    CloseHandle(file);
    if (failed)
        return RecordRead::kCannotOpen;
    return got == size ? RecordRead::kComplete : RecordRead::kTooShort;
}

bool FileReplacement::prepare(const char* path)
{
    if (path == nullptr)
        return false;
    target_ = path;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = temp_name(target_, GetCurrentProcessId());
        HANDLE file = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = file;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    temp_.clear();
    return false;
}

bool FileReplacement::commit(const unsigned char* bytes, size_t size)
{
    DWORD written = 0;
    bool ok = WriteFile(handle_, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size
        && FlushFileBuffers(handle_);
    ok = CloseHandle(handle_) && ok;
    handle_ = nullptr;
    if (ok)
        ok = MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void FileReplacement::discard()
{
    if (handle_ != nullptr)
        CloseHandle(handle_);
    handle_ = nullptr;
    if (!temp_.empty())
        DeleteFileA(temp_.c_str());
    temp_.clear();
}

#else

namespace {

std::string folder_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether a link found in `folder` may be followed: not when the folder is sticky and
// world-writable (such as /tmp) and the link belongs neither to us (the effective user) nor to
// the folder's owner, so another user may have planted it to redirect us. This is the kernel's
// protected-symlinks rule, applied here whether or not the machine switches it on.
bool may_follow(const std::string& folder, const struct stat& link)
{
    struct stat dir { };
    if (stat(folder.c_str(), &dir) != 0)
        return false;
    const bool open_to_all = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
    return !open_to_all || link.st_uid == geteuid() || link.st_uid == dir.st_uid;
}

bool ends_in_slash(const char* path)
{
    const size_t length = std::strlen(path);
    return length > 0 && path[length - 1] == '/';
}

void push_parts(const std::string& path, std::deque<std::string>& parts)
{
    std::deque<std::string> found;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string::npos)
            end = path.size();
        if (end > begin)
            found.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    parts.insert(parts.begin(), found.begin(), found.end());
}

// The path with every symbolic link in it followed (a link may point to a file that does not
// exist yet), so that what is opened or replaced afterwards is reached without one. False for
// a link that may not be followed, a loop, or more than 40 links.
bool resolve_links(const char* path, std::string& resolved)
{
    if (path == nullptr)
        return false;
    // A trailing slash asks for a directory: the system says "Not a directory" of a file so
    // named, and a record is never a directory. Likewise a last link whose target ends in one.
    if (ends_in_slash(path))
        return false;
    std::deque<std::string> rest;
    push_parts(path, rest);
    std::string done = path[0] == '/' ? "/" : "";  // holds no link
    int links = 0;
    while (!rest.empty()) {
        const std::string part = rest.front();
        rest.pop_front();
        std::string next = done;
        if (!next.empty() && next.back() != '/')
            next += '/';
        next += part;
        struct stat info { };
        if (lstat(next.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            done = next;
            continue;
        }
        if (++links > 40 || !may_follow(done.empty() ? "." : done, info))
            return false;
        char target[PATH_MAX];
        const ssize_t length = readlink(next.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof target)
            return false;
        const std::string target_path(target, static_cast<size_t>(length));
        if (rest.empty() && ends_in_slash(target_path.c_str()))
            return false;
        push_parts(target_path, rest);
        if (target[0] == '/')
            done = "/";
    }
    resolved = done.empty() ? "." : done;
    return true;
}

bool write_all(int fd, const unsigned char* bytes, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

void sync_folder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Removes the temporary files of this target that savers killed mid-save left behind (their
// process no longer exists), so they do not pile up.
void remove_stale_temporaries(const std::string& target)
{
    const std::string folder = folder_of(target);
    const size_t slash = target.rfind('/');
    const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + kTempMarker;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        char* end = nullptr;
        const long process = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (process <= 0 || *end != '-')
            continue;
        if (kill(static_cast<pid_t>(process), 0) == 0 || errno != ESRCH)
            continue;
        unlinkat(dirfd(dir), name.c_str(), 0);
    }
    closedir(dir);
}

}  // namespace

RecordRead read_record_prefix(const char* path, unsigned char* bytes, size_t size)
{
    std::string file;
    if (!resolve_links(path, file))
        return RecordRead::kCannotOpen;
    // Opening never waits (a FIFO nobody writes, a device); only a regular file is read.
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return RecordRead::kCannotOpen;
    struct stat info { };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return RecordRead::kCannotOpen;
    }
    size_t got = 0;
    bool failed = false;
    while (got < size) {
        const ssize_t n = read(fd, bytes + got, size - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            failed = true;
            break;
        }
    }
    close(fd);
    // A file of /proc or /sys passes for a regular one but gives other bytes than its size says:
    // it is not a record someone saved.
    const size_t expected = info.st_size < static_cast<off_t>(size) ? static_cast<size_t>(info.st_size) : size;
    if (failed || got != expected)
        return RecordRead::kCannotOpen;
    return got == size ? RecordRead::kComplete : RecordRead::kTooShort;
}

bool FileReplacement::prepare(const char* path)
{
    if (!resolve_links(path, target_))
        return false;
    // The target must be writable as it is, as if it were to be truncated and written in place:
    // a read-only file is refused, and so is anything but a regular file.
    struct stat existing { };
    bool exists = false;
    const int probe = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (probe >= 0) {
        exists = fstat(probe, &existing) == 0;
        close(probe);
        if (!exists || !S_ISREG(existing.st_mode))
            return false;
    } else if (errno != ENOENT) {
        return false;
    }

    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = temp_name(target_, static_cast<unsigned long>(getpid()));
        // O_EXCL creates a new file or fails, also where a link has been planted under the name.
        fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
    if (exists) {
        if (fchmod(fd_, existing.st_mode & 07777) != 0) {
            discard();
            return false;
        }
        if ((existing.st_uid != geteuid() || existing.st_gid != getegid())
            && fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
            // Only a privileged process can give a file away; otherwise the saver owns the new file.
        }
    }
    return true;
}

bool FileReplacement::commit(const unsigned char* bytes, size_t size)
{
    bool ok = write_all(fd_, bytes, size) && fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok)
        ok = rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        discard();
        return false;
    }
    temp_.clear();
    sync_folder(folder_of(target_));  // makes the rename itself durable
    remove_stale_temporaries(target_);
    return true;
}

void FileReplacement::discard()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        unlink(temp_.c_str());
    temp_.clear();
}

#endif

}  // namespace ktr4
