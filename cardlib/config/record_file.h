// The file side of the configuration record: reading a record's bytes and replacing a file
// whole. Neither touches the card or takes the library lock, so a slow file (a FIFO, network
// storage) never holds up another thread's call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ktr4 {

enum class RecordRead : uint8_t { kComplete, kCannotOpen, kTooShort };

// Reads the first `size` bytes of the file at `path`, without ever waiting for one. Anything
// but a regular file (a directory, a device such as /dev/zero, a FIFO, a file of /proc whose
// contents are not what its size says), a file that cannot be opened, or a path through a link
// that may not be followed (see FileReplacement) → kCannotOpen; a file shorter than `size` →
// kTooShort; longer files give their start.
RecordRead read_record_prefix(const char* path, unsigned char* bytes, size_t size);

// Replaces the file at a path with new contents, atomically: the bytes go to a temporary file
// created exclusively (never through a link) in the target's folder, are flushed to disk and
// renamed over the target; nothing of a failed save remains. A target path that is a symbolic
// link, or runs through one, saves into the file it points to; an existing target keeps its
// permissions and owner. A link in a sticky world-writable folder (such as /tmp) is followed
// only when it belongs to the saving user (effective uid) or to the folder's owner: one that
// another user planted there refuses the save, whether or not the system protects such links.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Checks that the target could be written as it is (an existing directory, a read-only file
    // or a folder that is not there refuse) and creates the temporary file. False on refusal.
    bool prepare(const char* path);
    // Writes, flushes and renames; false (and the target untouched) on any failure.
    bool commit(const unsigned char* bytes, size_t size);

private:
    void discard();

    std::string target_;
    std::string temp_;
#if defined(_WIN32)
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace ktr4
