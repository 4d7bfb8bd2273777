#include "receive/receive_display.h"

#include "receive/arrival_stamps.h"
#include "receive/receive_view.h"
#include "serial/serial_port.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace tessa {

ReceiveDisplay::ReceiveDisplay(QWidget* parent, QLabel* caption)
    : caption_(caption)
{
    characterView_ = new ReceiveView(logs_, ReceiveLogs::Log::Character, parent);
    characterView_->setObjectName(u"Text6"_s);
    hexView_ = new ReceiveView(logs_, ReceiveLogs::Log::Hex, parent);
    hexView_->setObjectName(u"Text4"_s);
    hexView_->setWrapUnit(3);  // "41 " groups stay whole on a row
    hexView_->hide();
}

ReceiveDisplay::~ReceiveDisplay()
{
    delete hexView_.data();
    delete characterView_.data();
}

void ReceiveDisplay::poll(SerialPort& port, bool leaveBytesInPort)
{
    if (!port.isOpen())
        return;
    if (logs_.takeDisplayPending())
        refreshViews();
    if (port.bytesWaiting() == 0 || leaveBytesInPort)
        return;
    // While a flood's backlog is still being formatted, further bytes wait in the port.
    if (intake_.size() - intakeDone_ >= SerialPort::kReadBufferBytes)
        return;
    // Every byte read is formatted, also those that came after the count was taken.
    const qsizetype before = intake_.size();
    intake_.append(port.readAll());
    if (stamps_)
        stamps_->readTaken(intake_.size() - before);
    if (!pieceScheduled_)
        takePiece();
}

void ReceiveDisplay::takePiece()
{
    pieceScheduled_ = false;
    const QByteArrayView rest = QByteArrayView(intake_).sliced(intakeDone_);
    const qsizetype end = ReceiveLogs::pieceEnd(rest, kPieceBytes);
    // A piece that started the logs again is shown at once, so the views never stand empty.
    if (stamps_ ? stamps_->append(logs_, rest.first(end)) : logs_.appendRead(rest.first(end)))
        refreshViews();
    intakeDone_ += end;
    if (intakeDone_ == intake_.size()) {
        intake_.clear();
        intakeDone_ = 0;
        return;
    }
    pieceScheduled_ = true;
    QTimer::singleShot(0, hexView_.data(), [this] { takePiece(); });
}

void ReceiveDisplay::refreshViews()
{
    hexView_->refresh();
    characterView_->refresh();
}

void ReceiveDisplay::showCharacterView()
{
    hexView_->hide();
    characterView_->show();
    if (caption_)
        caption_->setText(QCoreApplication::translate("tessa", "接收資料(字元)"));
}

void ReceiveDisplay::showHexView()
{
    hexView_->show();
    characterView_->hide();
    if (caption_)
        caption_->setText(QCoreApplication::translate("tessa", "接收資料(16進制)"));
}

bool ReceiveDisplay::hexViewShown() const
{
    return !hexView_->isHidden();
}

void ReceiveDisplay::clear()
{
    hexView_->clear();
    characterView_->clear();
    logs_.clear();
}

}  // namespace tessa
