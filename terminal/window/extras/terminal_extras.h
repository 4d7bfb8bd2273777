#pragma once

#include "modbus/modbus_reply_watch.h"
#include "receive/arrival_stamps.h"

#include <QByteArrayView>
#include <QObject>

#include <functional>

class QMenu;
class QStatusBar;
class QWidget;

namespace tessa {

class Connection;
class ConnectionBar;
class ControlLines;
class ControlLinesPanel;
class FindPanel;
class LineSettingsControl;
class ModbusReplyArea;
class ReceiveDisplay;
class ReconnectControl;
class SendFilePanel;
class SerialPort;
class SettingsStore;
class TrafficCountersControl;
class TrafficLogControl;

// The window's additions beyond its own controls: the Port menu's traffic log, line settings
// and reconnect items, the control lines and send-file panels, the byte counters and arrival
// times of the receive display, find in the receive views (Ctrl+F), and the decoded Modbus
// reply on the Modbus page. The window makes one and tells it of each Modbus panel request;
// the rest is wired here.
class TerminalExtras : public QObject {
    Q_OBJECT
public:
    // statusBar is asked for the window's status bar only when something is to be shown in it
    // (the window grows by its height then). The reply area is placed on modbusPage, in the
    // free room right of the last panel's buttons.
    TerminalExtras(QWidget* window, QMenu& portMenu, Connection& connection, ConnectionBar& connectionBar,
                   SettingsStore& settings, ReceiveDisplay& receive,
                   QWidget* modbusPage, std::function<QStatusBar*()> statusBar);
    ~TerminalExtras() override;

    // A Modbus panel has just written this request (frame and CRC).
    void modbusRequestSent(QByteArrayView request);

    ModbusReplyArea& modbusReplyArea() { return *replyArea_; }
    ControlLines& controlLines() { return *controlLines_; }
    ControlLinesPanel& controlLinesPanel() { return *controlLinesPanel_; }
    SendFilePanel& sendFilePanel() { return *sendFilePanel_; }
    FindPanel& findPanel() { return *findPanel_; }

private:
    SettingsStore& settings_;
    SerialPort& port_;
    TrafficLogControl* trafficLog_ = nullptr;
    LineSettingsControl* lineSettings_ = nullptr;
    ReconnectControl* reconnect_ = nullptr;
    ModbusReplyWatch replyWatch_;
    ModbusReplyArea* replyArea_ = nullptr;
    ControlLines* controlLines_ = nullptr;
    ControlLinesPanel* controlLinesPanel_ = nullptr;
    SendFilePanel* sendFilePanel_ = nullptr;
    TrafficCountersControl* counters_ = nullptr;
    ArrivalStamps stamps_;
    FindPanel* findPanel_ = nullptr;
};

}  // namespace tessa
