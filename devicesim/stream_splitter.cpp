#include "stream_splitter.h"

#include "modbus_crc.h"

#include <algorithm>

namespace tessa_device {

namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kJogEnd = 0xED;
constexpr std::uint8_t kHighestAddress = 247;

bool isJogStart(std::uint8_t b)
{
    return b == 0xE3 || b == 0xD8 || b == 0xE6;
}
bool isLineByte(std::uint8_t b)
{
    return (b >= 0x20 && b <= 0x7E) || b == '\t';
}
bool isLineEnd(std::uint8_t b)
{
    return b == kCr || b == kLf;
}
// The functions whose request length follows from the request itself.
bool isFramedFunction(std::uint8_t b)
{
    return b == 0x03 || b == 0x04 || b == 0x06 || b == 0x10;
}

// The length of the RTU request starting at data (03/04/06: 8 bytes; 10: 9 + its byte count),
// or 0 while too few bytes have come to know it.
std::size_t requestLength(const std::uint8_t* data, std::size_t size)
{
    if (data[1] != 0x10)
        return 8;
    return size >= 7 ? 9u + data[6] : 0;
}

// True when the bytes hold a whole well-formed request at their start.
bool startsWithRequest(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || data[0] > kHighestAddress || !isFramedFunction(data[1]))
        return false;
    const std::size_t length = requestLength(data, size);
    return length > 0 && size >= length && hasValidCrc(data, length);
}

}  // namespace

Millis frameGapAt(long baud)
{
    const long micros = baud > 19200 ? 1750 : (38500000 + baud - 1) / baud;
    return (micros + 999) / 1000;
}

StreamSplitter::StreamSplitter(Timing timing)
    : timing_(timing)
{
}

void StreamSplitter::feed(const Bytes& bytes, Millis now)
{
    if (bytes.empty())
        return;
    const bool silent = quietFor(timing_.frameGap, now);
    if (quietFor(timing_.burstGap, now))
        skippingLine_ = false;  // the too long line ended with the quiet gap
    lastByteAt_ = now;
    std::size_t from = 0;
    // The LF of an announcement whose CR came last in the previous read: the line's, not the file's.
    if (lineEndedWithCr_ && downloadSince_ && pending() == 0 && bytes.front() == kLf)
        from = 1;
    lineEndedWithCr_ = false;

    if (head_ > 0 && head_ >= buffer_.size() / 2) {  // compact: each byte moves a bounded number of times
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
        for (std::size_t& at : silences_)
            at -= head_;
        head_ = 0;
    }
    if (downloadSince_) {
        const std::size_t room = kLongestDownload - std::min(pending(), kLongestDownload);
        const std::size_t kept = std::min(bytes.size() - from, room);
        buffer_.insert(buffer_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                       bytes.begin() + static_cast<std::ptrdiff_t>(from + kept));
        downloadOver_ += bytes.size() - from - kept;
        return;
    }
    if (dropping_) {
        if (!silent)
            return;  // still the bad request's burst
        dropping_ = false;
    }
    if (skippingLine_) {
        const auto end = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), isLineEnd);
        if (end == bytes.end())
            return;
        skippingLine_ = false;
        from = static_cast<std::size_t>(end - bytes.begin());
    }
    if (silent && pending() > 0)
        silences_.push_back(buffer_.size());
    buffer_.insert(buffer_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

void StreamSplitter::expectDownload(Millis now)
{
    downloadSince_ = now;
    downloadOver_ = 0;
    dropping_ = false;
    skippingLine_ = false;
    silences_.clear();
    lineScanned_ = 0;
    // Bytes already here beyond the longest file are counted, not kept.
    if (pending() > kLongestDownload) {
        downloadOver_ = pending() - kLongestDownload;
        buffer_.resize(head_ + kLongestDownload);
    }
}

StreamSplitter::Shape StreamSplitter::shapeAtFront(std::size_t& length, Message::Kind& kind)
{
    const std::size_t size = pending();
    const std::uint8_t first = at(0);
    const bool request = first <= kHighestAddress && size >= 2 && isFramedFunction(at(1));
    if (request) {
        const std::size_t expected = requestLength(&buffer_[head_], size);
        if (expected == 0 || size < expected)
            return Shape::Incomplete;
        length = expected;
        kind = Message::Kind::Modbus;
        if (hasValidCrc(&buffer_[head_], expected))
            return Shape::Complete;
        // Slaves 10 and 13 start with a line end byte: when the CRC says no, it was one.
        return isLineEnd(first) ? Shape::EmptyLine : Shape::BadFrame;
    }
    if (isLineEnd(first))
        return size == 1 ? Shape::Incomplete : Shape::EmptyLine;
    if (isJogStart(first)) {
        if (size < 3)
            return Shape::Incomplete;
        if (at(2) != kJogEnd)
            return Shape::Unknown;
        length = 3;
        kind = Message::Kind::Jog;
        return Shape::Complete;
    }
    if (isLineByte(first)) {
        const auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(head_ + lineScanned_);
        const auto end = std::find_if(begin, buffer_.end(), isLineEnd);
        if (end == buffer_.end()) {
            lineScanned_ = size;
            if (size <= kLongestLine)
                return Shape::Incomplete;
            kind = Message::Kind::LineTooLong;
            return Shape::Complete;
        }
        length = static_cast<std::size_t>(end - buffer_.begin()) - head_;
        kind = Message::Kind::Line;
        return Shape::Complete;
    }
    return Shape::Unknown;
}

void StreamSplitter::dropFront(std::size_t count)
{
    head_ += count;
    lineScanned_ = 0;
    while (!silences_.empty() && silences_.front() <= head_)
        silences_.pop_front();
    if (head_ == buffer_.size()) {
        buffer_.clear();
        head_ = 0;
        silences_.clear();
    }
}

bool StreamSplitter::dropToNextSilence()
{
    while (!silences_.empty() && silences_.front() <= head_)
        silences_.pop_front();
    if (silences_.empty())
        return false;
    dropFront(silences_.front() - head_);
    return true;
}

Message StreamSplitter::takeFront(std::size_t length, Message::Kind kind)
{
    const auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(head_);
    Message message {kind, Bytes(begin, begin + static_cast<std::ptrdiff_t>(length))};
    if (kind == Message::Kind::Line) {
        // A line goes with its end (CR, LF or CR LF), so what follows starts clean; an LF that
        // starts a request to slave 10 is that request's.
        std::size_t end = length + 1;
        const bool lfFollows = at(length) == kCr && end < pending() && at(end) == kLf;
        if (lfFollows && !startsWithRequest(&buffer_[head_ + end], pending() - end))
            ++end;
        lineEndedWithCr_ = at(end - 1) == kCr && end == pending();
        length = end;
    }
    dropFront(length);
    return message;
}

bool StreamSplitter::stopLineAtFront() const
{
    static constexpr char kStop[] = "c45";
    if (pending() < 4 || !std::equal(kStop, kStop + 3, buffer_.begin() + static_cast<std::ptrdiff_t>(head_)))
        return false;
    return isLineEnd(at(3));
}

std::optional<Message> StreamSplitter::takeDownload(Millis now)
{
    if (fileNotStarted()) {
        if (now - *downloadSince_ >= timing_.downloadStart)
            downloadSince_.reset();  // nothing came: what follows are commands again
        return std::nullopt;
    }
    if (stopLineAtFront()) {
        // The operator cancelled the file dialog and pressed "Stop": no file is coming.
        downloadSince_.reset();
        return takeOne(now);
    }
    if (!quietFor(timing_.downloadGap, now))
        return std::nullopt;
    downloadSince_.reset();
    Message file {Message::Kind::Download, Bytes(buffer_.begin() + static_cast<std::ptrdiff_t>(head_), buffer_.end()),
                  downloadOver_};
    dropFront(pending());
    downloadOver_ = 0;
    return file;
}

std::optional<Message> StreamSplitter::takeOne(Millis now)
{
    if (downloadSince_)
        return takeDownload(now);
    while (pending() > 0) {
        std::size_t length = 0;
        Message::Kind kind = Message::Kind::Burst;
        switch (shapeAtFront(length, kind)) {
        case Shape::Complete:
            if (kind == Message::Kind::LineTooLong) {
                Message message {kind,
                                 Bytes(buffer_.begin() + static_cast<std::ptrdiff_t>(head_),
                                       buffer_.begin() + static_cast<std::ptrdiff_t>(head_ + 16))};
                dropFront(pending());
                skippingLine_ = true;
                return message;
            }
            return takeFront(length, kind);
        case Shape::EmptyLine:
            dropFront(1);
            continue;
        case Shape::BadFrame:
            if (!dropToNextSilence()) {
                dropFront(pending());
                dropping_ = !quietFor(timing_.frameGap, now);
            }
            continue;
        case Shape::Incomplete:
            if (!quietFor(timing_.burstGap, now))
                return std::nullopt;
            // Never finished. A line end byte alone was an empty line; an unfinished request
            // before a silence is given up, and what came after the silence is looked at anew.
            if (isLineEnd(at(0))) {
                dropFront(1);
                continue;
            }
            if (pending() >= 2 && at(0) <= kHighestAddress && isFramedFunction(at(1)) && dropToNextSilence())
                continue;
            break;
        case Shape::Unknown:
            if (pending() > kLongestBurst)
                return takeFront(kLongestBurst, Message::Kind::Burst);
            if (!quietFor(timing_.burstGap, now))
                return std::nullopt;
            break;
        }
        return takeFront(pending(), Message::Kind::Burst);
    }
    return std::nullopt;
}

std::optional<Millis> StreamSplitter::deadline() const
{
    if (downloadSince_)
        return fileNotStarted() ? *downloadSince_ + timing_.downloadStart : lastByteAt_ + timing_.downloadGap;
    if (pending() > 0)
        return lastByteAt_ + timing_.burstGap;
    return std::nullopt;
}

}  // namespace tessa_device
