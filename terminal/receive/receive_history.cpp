#include "receive/receive_history.h"

#include <algorithm>
#include <vector>

namespace tessa {

ReceiveHistory::ReceiveHistory(qint64 capacity)
    : capacity_(std::max(capacity, kBlockBytes))
{
}

void ReceiveHistory::append(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        if (blocks_.empty() || blocks_.back().size() >= kBlockBytes) {
            blocks_.emplace_back();
            blocks_.back().reserve(kBlockBytes);
        }
        QByteArray& block = blocks_.back();
        const qsizetype room = kBlockBytes - block.size();
        const qsizetype n = std::min(room, bytes.size());
        block.append(bytes.first(n));
        bytes = bytes.sliced(n);
        total_ += n;
        kept_ += n;
        // The oldest block goes once the others hold the capacity.
        while (kept_ - blocks_.front().size() >= capacity_) {
            kept_ -= blocks_.front().size();
            blocks_.pop_front();
        }
    }
}

void ReceiveHistory::clear()
{
    blocks_.clear();
    total_ = 0;
    kept_ = 0;
}

qint64 ReceiveHistory::memoryBytes() const
{
    qint64 sum = 0;
    for (const QByteArray& block : blocks_)
        sum += block.capacity();
    return sum;
}

QByteArray ReceiveHistory::bytes(qint64 from, qint64 count) const
{
    QByteArray out;
    from = std::max(from, firstKept());
    const qint64 end = std::min(from + std::max<qint64>(count, 0), total_);
    qint64 blockStart = firstKept();
    for (const QByteArray& block : blocks_) {
        const qint64 blockEnd = blockStart + block.size();
        if (blockEnd > from && blockStart < end) {
            const qint64 first = std::max(from, blockStart) - blockStart;
            const qint64 last = std::min(end, blockEnd) - blockStart;
            out.append(QByteArrayView(block).sliced(first, last - first));
        }
        blockStart = blockEnd;
    }
    return out;
}

std::optional<qint64> ReceiveHistory::find(QByteArrayView needle, qint64 from, bool forward) const
{
    if (needle.isEmpty() || needle.size() > kBlockBytes)
        return std::nullopt;
    // Block by block, each searched with the needle's length less one of the next one's bytes,
    // so that a match across two blocks is found once.
    const qint64 overlap = needle.size() - 1;
    const qint64 start = firstKept();
    const auto searchBlock = [&](std::size_t i, qint64 blockStart) -> std::optional<qint64> {
        QByteArray span = blocks_[i];
        if (i + 1 < blocks_.size())
            span.append(QByteArrayView(blocks_[i + 1]).first(std::min<qint64>(overlap, blocks_[i + 1].size())));
        if (forward) {
            const qint64 at = span.indexOf(needle, std::max<qint64>(from - blockStart, 0));
            return at < 0 ? std::nullopt : std::optional(blockStart + at);
        }
        const qint64 before = from - blockStart - 1;
        if (before < 0)
            return std::nullopt;
        const qint64 at = span.lastIndexOf(needle, std::min<qint64>(before, span.size()));
        return at < 0 ? std::nullopt : std::optional(blockStart + at);
    };
    std::vector<qint64> starts;
    qint64 blockStart = start;
    for (const QByteArray& block : blocks_) {
        starts.push_back(blockStart);
        blockStart += block.size();
    }
    if (forward) {
        for (std::size_t i = 0; i < blocks_.size(); ++i)
            if (starts[i] + static_cast<qint64>(blocks_[i].size()) > from || i + 1 == blocks_.size())
                if (auto at = searchBlock(i, starts[i]))
                    return at;
    } else {
        for (std::size_t i = blocks_.size(); i-- > 0;)
            if (starts[i] < from)
                if (auto at = searchBlock(i, starts[i]))
                    return at;
    }
    return std::nullopt;
}

}  // namespace tessa
