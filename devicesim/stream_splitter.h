#pragma once

#include "bytes.h"

#include <optional>

namespace tessa_device {

// One message taken from the byte stream.
struct Message {
    enum class Kind {
        Line,     // text up to CR, LF or CR LF (the terminator is not kept)
        Jog,      // three bytes: E3/D8/E6, direction, ED
        Modbus,   // a request to this slave (or broadcast) whose CRC is right
        Burst,    // anything else, delimited by a quiet gap on the line
        Download  // the bytes of a file announced before, delimited by a longer quiet gap
    };
    Kind kind;
    Bytes bytes;
};

// Cuts the mixed stream of a serial line into messages. Lines, jog frames and Modbus requests
// have a shape and are taken as soon as they are complete, so a program replayed without
// pauses still yields one message per record. Bytes of no known shape are held until the line
// has been quiet for burstGap and are then one burst. A Modbus request to this slave whose CRC
// is wrong is dropped with everything up to the next quiet gap, as a real slave does.
class StreamSplitter {
public:
    struct Timing {
        Millis burstGap = 30;
        Millis downloadGap = 300;   // a file arrives in one write: a long pause ends it
        Millis downloadWait = 60000;  // how long an announced download waits for its first byte
    };

    explicit StreamSplitter(std::uint8_t slaveId, Timing timing);
    StreamSplitter(std::uint8_t slaveId)
        : StreamSplitter(slaveId, Timing{})
    {
    }

    void feed(const Bytes& bytes, Millis now);
    // The oldest message complete at time now. Taken one at a time, so that an answer which
    // changes how the bytes after it are cut (a download announced) applies to them even when
    // they came in the same read.
    std::optional<Message> takeOne(Millis now);
    // When takeOne() may next have something without new bytes (a quiet gap ending).
    std::optional<Millis> deadline() const;

    // The next bytes are a file: everything until a quiet gap of downloadGap is one message.
    void expectDownload(Millis now);
    bool downloadExpected() const { return downloadSince_.has_value(); }

private:
    enum class Shape { Complete, Incomplete, Unknown, BadModbus };
    Shape shapeAtFront(std::size_t& length, Message::Kind& kind) const;
    bool quietFor(Millis gap, Millis now) const { return now - lastByteAt_ >= gap; }

    std::uint8_t slaveId_;
    Timing timing_;
    Bytes pending_;
    Millis lastByteAt_ = 0;
    bool dropping_ = false;
    bool lineEndedWithCr_ = false;  // a line's LF may still follow its CR in the next read
    std::optional<Millis> downloadSince_;
    bool downloadStarted_ = false;
};

}  // namespace tessa_device
