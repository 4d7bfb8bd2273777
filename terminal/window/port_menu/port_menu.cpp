#include "window/port_menu/port_menu.h"

#include "receive/receive_display.h"
#include "serial/connection.h"
#include "serial/control_lines.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/connection_bar.h"
#include "window/dialogs.h"
#include "window/port_menu/control_lines_panel.h"
#include "window/port_menu/line_settings_control.h"
#include "window/port_menu/reconnect_control.h"
#include "window/port_menu/send_file_panel.h"
#include "window/port_menu/traffic_counters_control.h"
#include "window/port_menu/traffic_log_control.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {

PortMenu::PortMenu(QWidget* window, Dialogs& dialogs, QMenu& portMenu, Connection& connection,
                   ConnectionBar& connectionBar, SettingsStore& settings, ReceiveDisplay& receive,
                   std::function<QStatusBar*()> statusBar)
    : QObject(window)
    , settings_(settings)
    , port_(connection.port())
{
    setObjectName(u"PortMenu"_s);
    SerialPort& port = connection.port();
    // A status bar made after the window was shown stays hidden until shown.
    statusBar = [given = std::move(statusBar)] {
        QStatusBar* bar = given();
        if (bar)
            bar->show();
        return bar;
    };
    portMenu.addSeparator();
    trafficLog_ = new TrafficLogControl(window, dialogs, portMenu, port, statusBar);
    lineSettings_ = new LineSettingsControl(window, dialogs, portMenu, port, settings, connectionBar.lineCaption());
    reconnect_ = new ReconnectControl(connectionBar, portMenu, port, settings, statusBar);
    connect(reconnect_, &ReconnectControl::note, trafficLog_, &TrafficLogControl::note);

    portMenu.addSeparator();
    controlLines_ = new ControlLines(port, settings, this);
    connect(&port, &SerialPort::opened, controlLines_, &ControlLines::portOpened);
    connect(&port, &SerialPort::aboutToClose, controlLines_, &ControlLines::portClosed);
    connect(&port, &SerialPort::lost, controlLines_, &ControlLines::portClosed);
    controlLinesPanel_ = new ControlLinesPanel(*controlLines_, window);
    QAction* linesItem = portMenu.addAction(tr("Control &lines..."));
    linesItem->setObjectName(u"mnu_control_lines"_s);
    linesItem->setToolTip(tr("Sets RTS and DTR, sends a break and shows CTS, DSR, DCD and RI"));
    connect(linesItem, &QAction::triggered, controlLinesPanel_, [panel = controlLinesPanel_] {
        panel->show();
        panel->raise();
    });
    auto* sendFilePanel = new SendFilePanel(port, settings, dialogs, window);
    QAction* sendFileItem = portMenu.addAction(tr("Send &file..."));
    sendFileItem->setObjectName(u"mnu_send_file"_s);
    sendFileItem->setToolTip(tr("Sends a file's bytes as they are, in chunks with a delay between them"));
    connect(sendFileItem, &QAction::triggered, sendFilePanel, [panel = sendFilePanel] {
        panel->show();
        panel->raise();
    });
    counters_ = new TrafficCountersControl(this, portMenu, port, settings, statusBar);

    // Arrival times: the display shows the time the port stamped on each chunk as it read it.
    QAction* stampsItem = portMenu.addAction(tr("Time&stamps on received chunks"));
    stampsItem->setObjectName(u"mnu_receive_timestamps"_s);
    stampsItem->setToolTip(tr("Marks each received chunk with its arrival time in the receive views"));
    stampsItem->setCheckable(true);
    connect(stampsItem, &QAction::toggled, this, [this, &receive](bool on) {
        receive.setTimestamps(on);
        settings_.write(kTimestampsKey, on ? u"1"_s : u"0"_s);
    });
    stampsItem->setChecked(settings_.read(kTimestampsKey, u"0"_s) == u"1");
}

PortMenu::~PortMenu() = default;

void PortMenu::note(const QString& text)
{
    trafficLog_->note(text);
}

}  // namespace tessa
