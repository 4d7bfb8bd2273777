#pragma once

#include "chunk/received_chunk.h"
#include "receive/arrival_stamps.h"
#include "receive/receive_logs.h"
#include "receive/receive_view.h"

#include <QByteArray>
#include <QPointer>

#include <deque>

class QLabel;
class QWidget;

namespace tessa {

// The receive display: the two receive logs and their two views, the hexadecimal one (Text4,
// hidden at start) and the character one (Text6), one over the other. The window's receive
// poll, view switch and clear button come here.
//
// It takes every received chunk (chunkReceived) and keeps it for the next tick of the receive
// poll, which formats everything taken since the last one as one read, so the logs read
// exactly as when the tick read the port itself. Only the view in sight is laid out on a
// refresh; the hidden one catches up when shown.
//
// A large intake (a flood) is formatted in pieces of kPieceBytes, one per pass of the event
// loop, so the window stays responsive; the pieces are cut where they format exactly as the
// whole read would.
class ReceiveDisplay {
public:
    static constexpr qsizetype kPieceBytes = 64 * 1024;
    // Bytes at most waiting for the next tick, and in a flood's backlog before the display
    // counts as backlogged. Beyond it the oldest waiting chunks are dropped (only a display held
    // for a long time at a flood's speed gets there).
    static constexpr qsizetype kMostWaitingBytes = 1024 * 1024;

    // Creates both views as children of parent; caption (may be null) names the view in sight.
    explicit ReceiveDisplay(QWidget* parent, QLabel* caption = nullptr);
    // Deletes the views (they show the logs, which go with this).
    ~ReceiveDisplay();
    ReceiveDisplay(const ReceiveDisplay&) = delete;
    ReceiveDisplay& operator=(const ReceiveDisplay&) = delete;

    ReceiveLogs& logs() { return logs_; }
    ReceiveView* hexView() const { return hexView_; }
    ReceiveView* characterView() const { return characterView_; }

    // A chunk the port received, for the next tick.
    void chunkReceived(const ReceivedChunk& chunk);
    // One receive poll tick: nothing while the port is closed; else show what the last tick
    // formatted, then format every chunk taken since. hold keeps the chunks unshown for a later
    // tick (a device whose answer another part of the program judges).
    void tick(bool portOpen, bool hold);
    // Whether a flood's backlog is still being formatted; further chunks had better wait in
    // the port meanwhile, so that the sender is held back.
    bool backlogged() const { return intake_.size() - intakeDone_ >= kMostWaitingBytes; }

    // Arrival times in the character view (off at start).
    void setTimestamps(bool on) { stamps_.setEnabled(on); }
    bool timestamps() const { return stamps_.enabled(); }

    void showCharacterView();
    void showHexView();
    bool hexViewShown() const;
    // Empties both views and both logs (the display-pending mark stays).
    void clear();

private:
    void refreshViews();
    // Formats the next piece of the intake; schedules the one after it.
    void takePiece();

    struct Waiting {
        qsizetype size;
        qint64 wallMs;
    };
    QByteArray waiting_;  // received, not yet taken by a tick
    std::deque<Waiting> waitingChunks_;
    QByteArray intake_;  // taken by a tick, not yet formatted from intakeDone_ on
    qsizetype intakeDone_ = 0;
    bool pieceScheduled_ = false;

    ArrivalStamps stamps_;
    ReceiveLogs logs_;
    QPointer<ReceiveView> hexView_;
    QPointer<ReceiveView> characterView_;
    QPointer<QLabel> caption_;
};

}  // namespace tessa
