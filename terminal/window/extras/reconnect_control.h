#pragma once

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

// Port > "Reconnect when the port returns" (off by default, kept under its own key). A lost
// port is still shown and reported by the window as before; when the item is on, the device
// is awaited at the same path and connected again through the window's own Connect button
// (so the window shows the connected state), and the status bar says so.
class ReconnectControl : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSettingsKey = "RECONNECT WHEN PORT RETURNS";  // "1" or "0"

    ReconnectControl(ConnectionBar& connectionBar, QMenu& portMenu, SerialPort& port, SettingsStore& settings,
                     std::function<QStatusBar*()> statusBar);

    const ReconnectPolicy& policy() const { return policy_; }

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
};

}  // namespace tessa
