#include "receive/receive_display.h"

#include "receive/receive_view.h"

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

void ReceiveDisplay::chunkReceived(const ReceivedChunk& chunk)
{
    if (chunk.bytes.isEmpty())
        return;
    waiting_.append(chunk.bytes);
    waitingChunks_.push_back({chunk.bytes.size(), chunk.wallMs});
    qsizetype dropped = 0;
    while (waiting_.size() - dropped > kMostWaitingBytes && waitingChunks_.size() > 1) {
        dropped += waitingChunks_.front().size;
        waitingChunks_.pop_front();
    }
    if (dropped > 0)
        waiting_.remove(0, dropped);
}

void ReceiveDisplay::tick(bool portOpen, bool hold)
{
    if (!portOpen)
        return;
    if (logs_.takeDisplayPending())
        refreshViews();
    // While a flood's backlog is still being formatted, further chunks wait.
    if (waiting_.isEmpty() || hold || backlogged())
        return;
    intake_.append(waiting_);
    waiting_.clear();
    for (const Waiting& chunk : waitingChunks_)
        stamps_.chunkTaken(chunk.size, chunk.wallMs);
    waitingChunks_.clear();
    if (!pieceScheduled_)
        takePiece();
}

void ReceiveDisplay::takePiece()
{
    pieceScheduled_ = false;
    const QByteArrayView rest = QByteArrayView(intake_).sliced(intakeDone_);
    const qsizetype end = ReceiveLogs::pieceEnd(rest, kPieceBytes);
    // A piece that started the logs again is shown at once, so the views never stand empty.
    if (stamps_.append(logs_, rest.first(end)))
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
