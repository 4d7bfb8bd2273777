#include "stream_splitter.h"

#include "modbus_crc.h"

#include <algorithm>

namespace tessa_device {

namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kJogEnd = 0xED;
// A line longer than this without a terminator is not a command line.
constexpr std::size_t kLongestLine = 4096;

bool isJogStart(std::uint8_t b) { return b == 0xE3 || b == 0xD8 || b == 0xE6; }
bool isLineByte(std::uint8_t b) { return (b >= 0x20 && b <= 0x7E) || b == '\t'; }

}  // namespace

StreamSplitter::StreamSplitter(std::uint8_t slaveId, Timing timing)
    : slaveId_(slaveId)
    , timing_(timing)
{
}

void StreamSplitter::feed(const Bytes& bytes, Millis now)
{
    if (bytes.empty())
        return;
    // The LF of a line whose CR came last in the previous read: the line's, not the file's.
    const bool skipLf = lineEndedWithCr_ && bytes.front() == kLf;
    lineEndedWithCr_ = false;
    if (skipLf && bytes.size() == 1)
        return;
    if (downloadSince_ && !downloadStarted_) {
        if (now - *downloadSince_ >= timing_.downloadWait)
            downloadSince_.reset();  // the operator gave up on the file
        else
            downloadStarted_ = true;
    }
    if (dropping_ && quietFor(timing_.burstGap, now)) {
        dropping_ = false;
        pending_.clear();
    }
    pending_.insert(pending_.end(), bytes.begin() + (skipLf ? 1 : 0), bytes.end());
    lastByteAt_ = now;
}

void StreamSplitter::expectDownload(Millis now)
{
    downloadSince_ = now;
    downloadStarted_ = !pending_.empty();
}

StreamSplitter::Shape StreamSplitter::shapeAtFront(std::size_t& length, Message::Kind& kind) const
{
    const std::size_t size = pending_.size();
    const std::uint8_t first = pending_[0];
    if (isJogStart(first)) {
        if (size < 3)
            return Shape::Incomplete;
        if (pending_[2] == kJogEnd) {
            length = 3;
            kind = Message::Kind::Jog;
            return Shape::Complete;
        }
        return Shape::Unknown;
    }
    if ((first == slaveId_ || first == 0) && size >= 2) {
        const std::uint8_t function = pending_[1];
        std::size_t expected = 0;
        if (function == 0x03 || function == 0x04 || function == 0x06)
            expected = 8;
        else if (function == 0x10) {
            if (size < 7)
                return Shape::Incomplete;
            expected = 9u + pending_[6];
        }
        if (expected > 0) {
            if (size < expected)
                return Shape::Incomplete;
            length = expected;
            kind = Message::Kind::Modbus;
            return hasValidCrc(pending_.data(), expected) ? Shape::Complete : Shape::BadModbus;
        }
    }
    if (isLineByte(first)) {
        const auto end = std::find_if(pending_.begin(), pending_.end(),
                                      [](std::uint8_t b) { return b == kCr || b == kLf; });
        if (end == pending_.end())
            return size > kLongestLine ? Shape::Unknown : Shape::Incomplete;
        length = static_cast<std::size_t>(end - pending_.begin());
        kind = Message::Kind::Line;
        return Shape::Complete;
    }
    return Shape::Unknown;
}

std::optional<Message> StreamSplitter::takeOne(Millis now)
{
    if (downloadSince_) {
        if (!downloadStarted_) {
            if (now - *downloadSince_ >= timing_.downloadWait)
                downloadSince_.reset();
            else
                return std::nullopt;
        } else {
            if (!quietFor(timing_.downloadGap, now))
                return std::nullopt;
            Message file{Message::Kind::Download, std::move(pending_)};
            pending_.clear();
            downloadSince_.reset();
            downloadStarted_ = false;
            return file;
        }
    }
    if (dropping_) {
        if (!quietFor(timing_.burstGap, now))
            return std::nullopt;
        dropping_ = false;
        pending_.clear();
    }
    while (!pending_.empty()) {
        const std::uint8_t first = pending_[0];
        if (first == kCr || first == kLf) {  // an empty line
            pending_.erase(pending_.begin());
            continue;
        }
        std::size_t length = 0;
        Message::Kind kind = Message::Kind::Burst;
        const Shape shape = shapeAtFront(length, kind);
        if (shape == Shape::Complete) {
            Message message{kind, Bytes(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length))};
            // A line goes with its end (CR, LF or CR LF), so what follows starts clean.
            if (kind == Message::Kind::Line) {
                if (pending_[length] == kCr && length + 1 < pending_.size() && pending_[length + 1] == kLf)
                    ++length;
                lineEndedWithCr_ = pending_[length] == kCr && length + 1 == pending_.size();
                ++length;
            }
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            return message;
        }
        if (shape == Shape::BadModbus) {
            pending_.clear();
            dropping_ = !quietFor(timing_.burstGap, now);
            return std::nullopt;
        }
        if (!quietFor(timing_.burstGap, now))
            return std::nullopt;
        Message burst{Message::Kind::Burst, std::move(pending_)};
        pending_.clear();
        return burst;
    }
    return std::nullopt;
}

std::optional<Millis> StreamSplitter::deadline() const
{
    if (downloadSince_)
        return downloadStarted_ ? lastByteAt_ + timing_.downloadGap : *downloadSince_ + timing_.downloadWait;
    if (dropping_ || !pending_.empty())
        return lastByteAt_ + timing_.burstGap;
    return std::nullopt;
}

}  // namespace tessa_device
