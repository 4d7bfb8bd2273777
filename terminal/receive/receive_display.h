#pragma once

#include "receive/receive_logs.h"
#include "receive/receive_view.h"

#include <QByteArray>
#include <QPointer>

class QLabel;
class QWidget;

namespace tessa {

class ArrivalStamps;
class SerialPort;

// The receive display: the two receive logs and their two views, the hexadecimal one (Text4,
// hidden at start) and the character one (Text6), one over the other. The window's receive
// poll, view switch and clear button come here.
//
// Only the view in sight is laid out on a refresh; the hidden one catches up when shown.
//
// A poll takes everything waiting in the port. A large intake (a flood) is formatted in pieces
// of kPieceBytes, one per pass of the event loop, so the window stays responsive; the pieces
// are cut where they format exactly as the whole read would.
class ReceiveDisplay {
public:
    static constexpr qsizetype kPieceBytes = 64 * 1024;

    // Creates both views as children of parent; caption (may be null) names the view in sight.
    explicit ReceiveDisplay(QWidget* parent, QLabel* caption = nullptr);
    // Deletes the views (they show the logs, which go with this).
    ~ReceiveDisplay();
    ReceiveDisplay(const ReceiveDisplay&) = delete;
    ReceiveDisplay& operator=(const ReceiveDisplay&) = delete;

    ReceiveLogs& logs() { return logs_; }
    ReceiveView* hexView() const { return hexView_; }
    ReceiveView* characterView() const { return characterView_; }

    // One receive poll tick: show what the last tick read, then take everything waiting in
    // the port. leaveBytesInPort keeps the bytes in the port (a device whose answer another
    // part of the program judges).
    void poll(SerialPort& port, bool leaveBytesInPort);

    // Arrival times in the character view (may be null: none).
    void setArrivalStamps(ArrivalStamps* stamps) { stamps_ = stamps; }

    void showCharacterView();
    void showHexView();
    bool hexViewShown() const;
    // Empties both views and both logs (the display-pending mark stays).
    void clear();

private:
    void refreshViews();
    // Formats the next piece of the intake; schedules the one after it.
    void takePiece();

    QByteArray intake_;  // read from the port, not yet formatted from intakeDone_ on
    qsizetype intakeDone_ = 0;
    bool pieceScheduled_ = false;

    ArrivalStamps* stamps_ = nullptr;
    ReceiveLogs logs_;
    QPointer<ReceiveView> hexView_;
    QPointer<ReceiveView> characterView_;
    QPointer<QLabel> caption_;
};

}  // namespace tessa
