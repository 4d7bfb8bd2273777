#include "window/extras/terminal_extras.h"

#include "serial/connection.h"
#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "window/connection_bar.h"
#include "window/extras/line_settings_control.h"
#include "window/extras/modbus_reply_area.h"
#include "window/extras/reconnect_control.h"
#include "window/extras/traffic_log_control.h"
#include "window/twips.h"

#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {

TerminalExtras::TerminalExtras(QWidget* window, QMenu& portMenu, Connection& connection, ConnectionBar& connectionBar,
                               SettingsStore& settings,
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

    // Right of the ASCII Mode and SAVE buttons, down to the page's foot: no panel is there.
    replyArea_ = new ModbusReplyArea(modbusPage);
    setGeometryTwips(replyArea_, 4250, 4300, 4300, 1200);
    bool ok = false;
    const int stored = settings_.read(QString::fromLatin1(kReplyWindowKey), QString()).toInt(&ok);
    replyWatch_.setReplyWindowMs(ok && stored > 0 ? stored : ModbusReplyWatch::kDefaultReplyWindowMs);
    QSpinBox& windowBox = replyArea_->replyWindow();
    windowBox.setValue(replyWatch_.replyWindowMs());
    connect(&windowBox, &QSpinBox::valueChanged, this, [this](int ms) {
        replyWatch_.setReplyWindowMs(ms);
        settings_.write(QString::fromLatin1(kReplyWindowKey), QString::number(ms));
    });
    connect(&port, &SerialPort::received, &replyWatch_, &ModbusReplyWatch::bytesReceived);
    connect(&replyWatch_, &ModbusReplyWatch::replyDecoded, replyArea_, &ModbusReplyArea::showReply);
}

TerminalExtras::~TerminalExtras() = default;

void TerminalExtras::modbusRequestSent(QByteArrayView request)
{
    replyWatch_.requestSent(request, port_.arrivedBeforeLastWrite());
}

}  // namespace tessa
