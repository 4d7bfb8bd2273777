#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

namespace tessa {

// The hex receive log and the character receive log behind the two receive views.
//
// A read is formatted byte by byte: every byte as two upper-case hex digits and a space, and as
// one printable character ('.' for control bytes and 7F..FF). A 0D 0A pair inside one read ends
// a line in both logs; the pair's bytes show as spaces in the character log. The pair is looked
// for only inside one read, so a 0D ending one read and a 0A starting the next show as "." ".".
class ReceiveLogs {
public:
    // The hex log never holds more than this many characters: a read that would pass it
    // empties both logs first.
    static constexpr qsizetype kHexLogLimit = 40000;

    enum class Log { Hex, Character };

    // Called with both logs just before the limit empties them (for measuring tools).
    using LimitObserver = std::function<void(const QString& hexLog, const QString& charLog)>;

    // Appends every byte of one read, emptying both logs first when the read would carry the
    // hex log past the limit. Marks the display pending. Returns true when the limit emptied
    // the logs.
    bool appendRead(QByteArrayView bytes);

    // Where a long read can be cut, at or after atLeast bytes, so that its pieces appended one
    // by one give the same logs as the whole read: never after a 0D nor before a 0A (both show
    // differently at the edge of a read). Returns the read's size if there is no such place.
    static qsizetype pieceEnd(QByteArrayView bytes, qsizetype atLeast);

    // Starts a line of the character log with this text (a chunk's arrival time).
    void appendCharacterStamp(QStringView stamp);

    // A line break in the hex log only (senders use it so that a reply starts a new line).
    void appendHexLineBreak();

    // Empties both logs; the display-pending mark stays as it is.
    void clear();

    const QString& hexLog() const { return hexLog_; }
    const QString& charLog() const { return charLog_; }
    const QString& log(Log which) const { return which == Log::Hex ? hexLog_ : charLog_; }

    // Changes whenever the logs are emptied, so a view that shows a log can tell whether the
    // log only grew since it last looked (and append) or started again (and replace).
    quint64 generation() const { return generation_; }

    bool displayPending() const { return displayPending_; }
    // Returns whether the display was pending and clears the mark.
    bool takeDisplayPending();

    void setLimitObserver(LimitObserver observer) { limitObserver_ = std::move(observer); }

private:
    // Characters the read adds to the hex log: three a byte and CR LF a 0D 0A pair.
    static qsizetype hexLength(QByteArrayView bytes);
    void startAgain();

    QString hexLog_;
    QString charLog_;
    bool displayPending_ = false;
    quint64 generation_ = 0;
    LimitObserver limitObserver_;
};

}  // namespace tessa
