#include "window/extras/terminal_extras.h"

#include "receive/find_panel.h"
#include "receive/receive_display.h"
#include "serial/connection.h"
#include "serial/control_lines.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/connection_bar.h"
#include "window/extras/control_lines_panel.h"
#include "window/extras/line_settings_control.h"
#include "window/extras/modbus_reply_area.h"
#include "window/extras/reconnect_control.h"
#include "window/extras/send_file_panel.h"
#include "window/extras/traffic_counters_control.h"
#include "window/extras/traffic_log_control.h"
#include "window/twips.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {

TerminalExtras::TerminalExtras(QWidget* window, QMenu& portMenu, Connection& connection, ConnectionBar& connectionBar,
                               SettingsStore& settings, ReceiveDisplay& receive,
                               QWidget* modbusPage, std::function<QStatusBar*()> statusBar)
    : QObject(window)
    , settings_(settings)
    , port_(connection.port())
{
    setObjectName(u"TerminalExtras"_s);
    SerialPort& port = connection.port();
    // A status bar made after the window was shown stays hidden until shown.
    statusBar = [given = std::move(statusBar)] {
        QStatusBar* bar = given();
        if (bar)
            bar->show();
        return bar;
    };
    portMenu.addSeparator();
    trafficLog_ = new TrafficLogControl(window, portMenu, port, statusBar);
    lineSettings_ = new LineSettingsControl(window, portMenu, port, settings, connectionBar.lineCaption());
    reconnect_ = new ReconnectControl(connectionBar, portMenu, port, settings, statusBar);
    connect(reconnect_, &ReconnectControl::note, trafficLog_, &TrafficLogControl::note);

    portMenu.addSeparator();
    controlLines_ = new ControlLines(port, settings, this);
    connect(&port, &SerialPort::opened, controlLines_, &ControlLines::portOpened);
    connect(&port, &SerialPort::aboutToClose, controlLines_, &ControlLines::portClosed);
    connect(&port, &SerialPort::lost, controlLines_, &ControlLines::portClosed);
    controlLinesPanel_ = new ControlLinesPanel(*controlLines_, window);
    QAction* linesItem = portMenu.addAction(u"Control &lines..."_s);
    linesItem->setObjectName(u"mnu_control_lines"_s);
    connect(linesItem, &QAction::triggered, controlLinesPanel_, [panel = controlLinesPanel_] {
        panel->show();
        panel->raise();
    });
    sendFilePanel_ = new SendFilePanel(port, settings, window);
    QAction* sendFileItem = portMenu.addAction(u"Send &file..."_s);
    sendFileItem->setObjectName(u"mnu_send_file"_s);
    connect(sendFileItem, &QAction::triggered, sendFilePanel_, [panel = sendFilePanel_] {
        panel->show();
        panel->raise();
    });
    counters_ = new TrafficCountersControl(this, portMenu, port, settings, statusBar);

    // Arrival times are taken as the port reports each chunk, where the bytes arrive.
    receive.setArrivalStamps(&stamps_);
    connect(&port, &SerialPort::received, this, [this](QByteArrayView bytes) {
        if (stamps_.enabled())
            stamps_.chunkArrived(bytes.size(), QDateTime::currentMSecsSinceEpoch());
    });
    QAction* stampsItem = portMenu.addAction(u"Time&stamps on received chunks"_s);
    stampsItem->setObjectName(u"mnu_receive_timestamps"_s);
    stampsItem->setCheckable(true);
    connect(stampsItem, &QAction::toggled, this, [this](bool on) {
        stamps_.setEnabled(on);
        port_.wantArrivals(&stamps_, on);
        settings_.write(kTimestampsKey, on ? u"1"_s : u"0"_s);
    });
    stampsItem->setChecked(settings_.read(kTimestampsKey, u"0"_s) == u"1");

    findPanel_ = new FindPanel(receive, settings, window);

    // Right of the ASCII Mode and SAVE buttons, down to the page's foot: no panel is there.
    replyArea_ = new ModbusReplyArea(modbusPage);
    setGeometryTwips(replyArea_, 4250, 4300, 4300, 1200);
    bool ok = false;
    const int stored = settings_.read(kReplyWindowMsKey, QString()).toInt(&ok);
    replyWatch_.setReplyWindowMs(ok && stored > 0 ? stored : ModbusReplyWatch::kDefaultReplyWindowMs);
    QSpinBox& windowBox = replyArea_->replyWindow();
    windowBox.setValue(replyWatch_.replyWindowMs());
    connect(&windowBox, &QSpinBox::valueChanged, this, [this](int ms) {
        replyWatch_.setReplyWindowMs(ms);
        settings_.write(kReplyWindowMsKey, QString::number(ms));
    });
    connect(&port, &SerialPort::received, &replyWatch_, &ModbusReplyWatch::bytesReceived);
    connect(&replyWatch_, &ModbusReplyWatch::replyDecoded, replyArea_, &ModbusReplyArea::showReply);
    connect(&replyWatch_, &ModbusReplyWatch::replyDecoded, this,
            [this] { port_.wantArrivals(&replyWatch_, replyWatch_.isWaiting()); });
}

TerminalExtras::~TerminalExtras() = default;

void TerminalExtras::modbusRequestSent(QByteArrayView request)
{
    replyWatch_.requestSent(request, port_.arrivedBeforeLastWrite());
    // A reply is timed from its bytes' arrival; they are taken as they come until it is judged.
    port_.wantArrivals(&replyWatch_, replyWatch_.isWaiting());
}

}  // namespace tessa
