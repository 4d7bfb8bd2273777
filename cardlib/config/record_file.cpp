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
std::atomic<uint32_t> g_sequence{0};

std::string temp_name(const std::string& target, unsigned long process) {
  return target + kTempMarker + std::to_string(process) + "-" + std::to_string(g_sequence++);
}

}  // namespace

FileReplacement::~FileReplacement() { discard(); }

#if defined(_WIN32)

RecordRead read_record_prefix(const char* path, unsigned char* bytes, size_t size) {
  // Directories cannot be opened this way (they need backup semantics): 309 as wanted.
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return RecordRead::kCannotOpen;
  size_t got = 0;
  bool failed = false;
  while (got < size) {
    DWORD n = 0;
    if (!ReadFile(file, bytes + got, static_cast<DWORD>(size - got), &n, nullptr)) {
      failed = true;
      break;
    }
    if (n == 0) break;
    got += n;
  }
  CloseHandle(file);
  if (failed) return RecordRead::kCannotOpen;
  return got == size ? RecordRead::kComplete : RecordRead::kTooShort;
}

bool FileReplacement::prepare(const char* path) {
  target_ = path;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
    return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = temp_name(target_, GetCurrentProcessId());
    HANDLE file = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = file;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  temp_.clear();
  return false;
}

bool FileReplacement::commit(const unsigned char* bytes, size_t size) {
  DWORD written = 0;
  bool ok = WriteFile(handle_, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size &&
            FlushFileBuffers(handle_);
  ok = CloseHandle(handle_) && ok;
  handle_ = nullptr;
  if (ok) ok = MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    discard();
    return false;
  }
  temp_.clear();
  return true;
}

void FileReplacement::discard() {
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
  if (!temp_.empty()) DeleteFileA(temp_.c_str());
  temp_.clear();
}

#else

namespace {

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once the symbolic links of its last part are followed (a link may
// point to a file that does not exist yet; a loop stops after 40 hops and the save fails).
std::string follow_links(const char* path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char link[PATH_MAX];
    const ssize_t length = readlink(current.c_str(), link, sizeof link - 1);
    if (length <= 0) return current;
    const std::string to(link, static_cast<size_t>(length));
    current = to[0] == '/' ? to : folder_of(current) + "/" + to;
  }
  return current;
}

bool write_all(int fd, const unsigned char* bytes, size_t size) {
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

void sync_folder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Removes the temporary files of this target that savers killed mid-save left behind (their
// process no longer exists), so they do not pile up.
void remove_stale_temporaries(const std::string& target) {
  const std::string folder = folder_of(target);
  const size_t slash = target.rfind('/');
  const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + kTempMarker;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long process = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (process <= 0 || *end != '-') continue;
    if (kill(static_cast<pid_t>(process), 0) == 0 || errno != ESRCH) continue;
    unlinkat(dirfd(dir), name.c_str(), 0);
  }
  closedir(dir);
}

}  // namespace

RecordRead read_record_prefix(const char* path, unsigned char* bytes, size_t size) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return RecordRead::kCannotOpen;
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
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
  if (failed) return RecordRead::kCannotOpen;
  return got == size ? RecordRead::kComplete : RecordRead::kTooShort;
}

bool FileReplacement::prepare(const char* path) {
  target_ = follow_links(path);
  // The target must be writable as it is, as if it were to be truncated and written in place:
  // a read-only file is refused, and so is anything but a regular file.
  struct stat existing {};
  bool exists = false;
  const int probe = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (probe >= 0) {
    exists = fstat(probe, &existing) == 0;
    close(probe);
    if (!exists || !S_ISREG(existing.st_mode)) return false;
  } else if (errno != ENOENT) {
    return false;
  }

  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = temp_name(target_, static_cast<unsigned long>(getpid()));
    // O_EXCL creates a new file or fails, also where a link has been planted under the name.
    fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
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
    if ((existing.st_uid != geteuid() || existing.st_gid != getegid()) &&
        fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
      // Only a privileged process can give a file away; otherwise the saver owns the new file.
    }
  }
  return true;
}

bool FileReplacement::commit(const unsigned char* bytes, size_t size) {
  bool ok = write_all(fd_, bytes, size) && fsync(fd_) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) ok = rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    discard();
    return false;
  }
  temp_.clear();
  sync_folder(folder_of(target_));  // makes the rename itself durable
  remove_stale_temporaries(target_);
  return true;
}

void FileReplacement::discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

#endif

}  // namespace ktr4
