#pragma once

#include "serial/device_identity.h"
#include "serial/port_watcher.h"
#include "serial/reconnect_policy.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QWidget;

namespace tessa {

class ConnectionBar;
class SerialPort;
class SettingsStore;

// Port > "Reconnect when the port returns" (off by default, kept under its own key). When the
// item is on, a lost port is told without a modal box (the status bar and a note in the traffic
// log), so that nothing waits for an operator; the device is awaited at the same path and,
// when the same device is back there, connected again through the window's own Connect button
// (so the window shows the connected state). When it is off, the window's message box tells
// of the loss as before.
class ReconnectControl : public QObject {
    Q_OBJECT
public:
    ReconnectControl(ConnectionBar& connectionBar, QMenu& portMenu, SerialPort& port, SettingsStore& settings,
                     std::function<QStatusBar*()> statusBar);

    const ReconnectPolicy& policy() const { return policy_; }

signals:
    // A line for the traffic log: the port lost, connected again, another device at its path.
    void note(const QString& text);

private:
    void toggled(bool on);
    void onLost();
    bool reopen();
    void handConnectOrDisconnect();
    void say(const QString& text);

    ConnectionBar& connectionBar_;
    SerialPort& port_;
    SettingsStore& settings_;
    std::function<QStatusBar*()> statusBar_;
    QAction* action_ = nullptr;
    PortWatcher watcher_;
    ReconnectPolicy policy_;
    QString openPath_;  // the device of the port while it is open
    DeviceIdentity identity_;  // of the device at openPath_ when it opened
};

}  // namespace tessa
