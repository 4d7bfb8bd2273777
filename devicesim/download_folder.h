#pragma once

#include "bytes.h"

#include <filesystem>
#include <optional>

namespace tessa_device {

// The folder where downloaded files are kept as program-001.txt, parameters-002.txt, ...
// Numbering goes on from the highest number already there, so a restarted device never
// overwrites earlier downloads. Files are created new (O_EXCL, O_NOFOLLOW): a name that is
// taken, a planted symbolic link included, is skipped and never written through.
class DownloadFolder {
public:
    static constexpr int kMostFiles = 999;  // the three digits of the name

    explicit DownloadFolder(std::filesystem::path folder);

    struct Kept {
        std::optional<std::filesystem::path> path;  // empty when not kept
        std::string problem;  // why not, for the answer
    };
    Kept keep(const std::string& kind, const Bytes& file);

private:
    std::filesystem::path folder_;
    int next_ = 1;
};

}  // namespace tessa_device
