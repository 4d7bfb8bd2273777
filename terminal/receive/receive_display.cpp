#include "receive/receive_display.h"

#include "receive/receive_view.h"
#include "serial/serial_port.h"

#include <QWidget>

using namespace Qt::StringLiterals;

namespace tessa {

ReceiveDisplay::ReceiveDisplay(QWidget* parent)
{
    characterView_ = new ReceiveView(logs_, ReceiveLogs::Log::Character, parent);
    characterView_->setObjectName(u"Text6"_s);
    hexView_ = new ReceiveView(logs_, ReceiveLogs::Log::Hex, parent);
    hexView_->setObjectName(u"Text4"_s);
    hexView_->setWrapUnit(3);  // "41 " groups stay whole on a row
    hexView_->hide();
}

void ReceiveDisplay::poll(SerialPort& port, bool leaveBytesInPort)
{
    if (!port.isOpen())
        return;
    if (logs_.takeDisplayPending())
        refreshViews();
    if (port.bytesWaiting() == 0 || leaveBytesInPort)
        return;
    // Every byte read is formatted, also those that came after the count was taken. A read
    // that started the logs again is shown at once, so the views never stand empty.
    if (logs_.appendRead(port.readAll()))
        refreshViews();
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
}

void ReceiveDisplay::showHexView()
{
    hexView_->show();
    characterView_->hide();
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
