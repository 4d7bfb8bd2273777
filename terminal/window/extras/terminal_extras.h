#pragma once

#include "modbus/modbus_reply_watch.h"

#include <QByteArrayView>
#include <QObject>

#include <functional>

class QMenu;
class QStatusBar;
class QWidget;

namespace tessa {

class Connection;
class ConnectionBar;
class LineSettingsControl;
class ModbusReplyArea;
class ReconnectControl;
class SerialPort;
class SettingsStore;
class TrafficLogControl;

// The window's additions beyond its own controls: the Port menu's traffic log, line settings
// and reconnect items, and the decoded Modbus reply on the Modbus page. The window makes one
// and tells it of each Modbus panel request; the rest is wired here.
class TerminalExtras : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kReplyWindowKey = "MODBUS REPLY WINDOW MS";

    // statusBar is asked for the window's status bar only when something is to be shown in it
    // (the window grows by its height then). The reply area is placed on modbusPage, in the
    // free room right of the last panel's buttons.
    TerminalExtras(QWidget* window, QMenu& portMenu, Connection& connection, ConnectionBar& connectionBar,
                   SettingsStore& settings,
                   QWidget* modbusPage, std::function<QStatusBar*()> statusBar);
    ~TerminalExtras() override;

    // A Modbus panel has just written this request (frame and CRC).
    void modbusRequestSent(QByteArrayView request);

    ModbusReplyArea& modbusReplyArea() { return *replyArea_; }

private:
    SettingsStore& settings_;
    SerialPort& port_;
    TrafficLogControl* trafficLog_ = nullptr;
    LineSettingsControl* lineSettings_ = nullptr;
    ReconnectControl* reconnect_ = nullptr;
    ModbusReplyWatch replyWatch_;
    ModbusReplyArea* replyArea_ = nullptr;
};

}  // namespace tessa
