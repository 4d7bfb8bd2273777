#include "window/port_menu/traffic_log_control.h"

#include "serial/serial_port.h"
#include "window/common_dialog.h"
#include "window/dialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {
const char* const kStartText = QT_TRANSLATE_NOOP("tessa::TrafficLogControl", "&Traffic log...");
const char* const kStopText = QT_TRANSLATE_NOOP("tessa::TrafficLogControl", "Stop &traffic log");
}  // namespace

TrafficLogControl::TrafficLogControl(QWidget* window, Dialogs& dialogs, QMenu& portMenu, SerialPort& port,
                                     std::function<QStatusBar*()> statusBar)
    : QObject(window)
    , window_(window)
    , dialogs_(dialogs)
    , port_(port)
    , statusBar_(std::move(statusBar))
{
    action_ = portMenu.addAction(tr(kStartText));
    action_->setToolTip(tr("Writes every byte sent and received, with time stamps, to a text file"));
    action_->setObjectName(u"mnu_traffic_log"_s);
    action_->setCheckable(true);
    connect(action_, &QAction::triggered, this, &TrafficLogControl::menuTriggered);

    dialog_ = new CommonDialog(dialogs_, this);
    dialog_->setObjectName(u"TrafficLogDialog"_s);
    dialog_->setFilter(tr("Traffic log (*.txt)|*.txt"));

    // record() only queues a copy; the port's signals come on the window's thread.
    connect(&port_, &SerialPort::sent, this,
            [this](QByteArrayView bytes) { log_.record(TrafficDirection::Tx, bytes); });
    connect(&port_, &SerialPort::received, this, [this](const ReceivedChunk& chunk) {
        log_.record(TrafficDirection::Rx, chunk.bytes, {chunk.wallMs, chunk.steadyUs});
    });
    connect(&log_, &TrafficLog::failed, this, &TrafficLogControl::onFailed);

    sizeTimer_.setInterval(kStatusIntervalMs);
    connect(&sizeTimer_, &QTimer::timeout, this, &TrafficLogControl::showSize);
}

void TrafficLogControl::menuTriggered()
{
    if (log_.isRunning())
        stop();
    else
        start();
    showState();
}

void TrafficLogControl::start()
{
    dialog_->setFileName(QString());
    if (!dialog_->showSave(window_))
        return;
    const QString path = dialog_->fileName();
    if (!log_.start(path)) {
        dialogs_.message(window_, QMessageBox::Warning, tr("Traffic log"),
                         tr("The traffic log could not start: %1").arg(log_.errorString()));
    }
}

void TrafficLogControl::note(const QString& text)
{
    log_.record(TrafficDirection::Note, text.toUtf8());
}

void TrafficLogControl::stop()
{
    log_.stop();
}

void TrafficLogControl::showState()
{
    const bool running = log_.isRunning();
    action_->setChecked(running);
    action_->setText(tr(running ? kStopText : kStartText));
    if (running) {
        if (!status_) {
            status_ = new QLabel(window_);
            status_->setObjectName(u"TrafficLogStatus"_s);
            QStatusBar* bar = statusBar_();
            bar->addPermanentWidget(status_);
            statusBar_();  // measured again with the label in it
        }
        status_->show();
        showSize();
        sizeTimer_.start();
    } else {
        sizeTimer_.stop();
        if (status_)
            status_->hide();
    }
}

void TrafficLogControl::showSize()
{
    if (!status_ || !log_.isRunning())
        return;
    status_->setText(tr("Traffic log: %1 %2").arg(QFileInfo(log_.path()).fileName(), trafficSizeText(log_.fileSize())));
    status_->setToolTip(log_.path());
}

void TrafficLogControl::onFailed(const QString& message)
{
    // The log has stopped itself; the item and the status bar follow before the message.
    showState();
    dialogs_.message(window_, QMessageBox::Warning, tr("Traffic log"), tr("The traffic log stopped: %1").arg(message));
}

}  // namespace tessa
