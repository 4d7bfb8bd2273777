#pragma once

#include "bytes.h"

#include <deque>
#include <optional>

namespace tessa_device {

// One message taken from the byte stream.
struct Message {
    enum class Kind {
        Line,  // text up to CR, LF or CR LF (the terminator is not kept)
        LineTooLong,  // text that went on past the longest line; the rest up to its end is dropped
        Jog,  // three bytes: E3/D8/E6, direction, ED
        Modbus,  // a well-formed RTU request (03/04/06/10, CRC right) to any address
        Burst,  // anything else, delimited by a quiet gap on the line
        Download  // the bytes of a file announced before, delimited by a longer quiet gap
    };
    Kind kind;
    Bytes bytes;
    // Bytes of a download past the longest file: counted, not kept.
    std::size_t bytesOverLimit = 0;
};

// Cuts the mixed stream of a serial line into messages. Lines, jog frames and Modbus requests
// have a shape and are taken as soon as they are complete, so a program replayed without
// pauses still yields one message per record. Bytes of no known shape are held until the line
// has been quiet for burstGap and are then one burst.
//
// Modbus RTU requests are delimited as the standard does: the length follows from the
// function code, the CRC must check, and a silence of 3.5 characters (frameGap) starts a new
// frame. A request whose CRC fails is dropped with everything up to the next such silence; an
// unfinished request is given up at a silence when the bytes after it do not finish it with a
// CRC that checks (a master that writes the frame and its CRC separately may pause between).
// Every cost is linear in the bytes fed, and nothing held grows past a fixed size.
class StreamSplitter {
public:
    struct Timing {
        Millis burstGap = 30;
        // After a download announcement the file may take this long to start: the operator
        // picks it in a dialog. A "Stop" line coming first instead ends the download at once.
        Millis downloadStart = 60000;
        // A file that has started ends when the line has been quiet this long.
        Millis downloadGap = 1000;
        Millis frameGap = 2;  // 3.5 characters at 115200 baud; see frameGapAt()
    };
    static constexpr std::size_t kLongestLine = 4096;
    static constexpr std::size_t kLongestBurst = 4096;
    static constexpr std::size_t kLongestDownload = 65536;

    explicit StreamSplitter(Timing timing);
    StreamSplitter()
        : StreamSplitter(Timing {})
    {
    }

    void feed(const Bytes& bytes, Millis now);
    // The oldest message complete at time now. Taken one at a time, so that an answer which
    // changes how the bytes after it are cut (a download announced) applies to them even when
    // they came in the same read.
    std::optional<Message> takeOne(Millis now);
    // When takeOne() may next have something without new bytes (a quiet gap ending).
    std::optional<Millis> deadline() const;

    // The next bytes are a file: everything from its start until a quiet gap of downloadGap is
    // one message, unless the first thing to come is a "Stop" line (see Timing).
    void expectDownload(Millis now);
    bool downloadExpected() const { return downloadSince_.has_value(); }
    // Bytes received and not yet taken (a download's kept bytes included).
    std::size_t held() const { return buffer_.size() - head_; }

private:
    enum class Shape { Complete, Incomplete, Unknown, BadFrame, EmptyLine };
    Shape shapeAtFront(std::size_t& length, Message::Kind& kind);
    std::optional<Message> takeDownload(Millis now);
    bool fileNotStarted() const { return pending() == 0 && downloadOver_ == 0; }
    bool stopLineAtFront() const;
    Message takeFront(std::size_t length, Message::Kind kind);
    void dropFront(std::size_t count);
    // Drops the bytes up to the first silence after the front; false when there was none.
    bool dropToNextSilence();
    std::size_t pending() const { return buffer_.size() - head_; }
    std::uint8_t at(std::size_t offset) const { return buffer_[head_ + offset]; }
    bool quietFor(Millis gap, Millis now) const { return now - lastByteAt_ >= gap; }

    Timing timing_;
    Bytes buffer_;
    std::size_t head_ = 0;  // bytes before it are taken; compacted now and then
    std::size_t lineScanned_ = 0;  // bytes after head_ known to hold no line end
    std::deque<std::size_t> silences_;  // buffer positions that came after a frame gap
    Millis lastByteAt_ = 0;
    bool dropping_ = false;  // a bad request: drop until the line is silent
    bool skippingLine_ = false;  // a too long line: drop up to its end
    bool lineEndedWithCr_ = false;  // a line's LF may still follow its CR in the next read
    std::optional<Millis> downloadSince_;
    std::size_t downloadOver_ = 0;
};

// The 3.5-character silence that separates Modbus RTU frames at a baud rate (11 bits a
// character; the standard fixes 1.75 ms above 19200 baud), rounded up to whole milliseconds.
Millis frameGapAt(long baud);

}  // namespace tessa_device
