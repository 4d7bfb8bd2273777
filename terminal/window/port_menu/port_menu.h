#pragma once

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
class Dialogs;
class LineSettingsControl;
class ReceiveDisplay;
class ReconnectControl;
class SerialPort;
class SettingsStore;
class TrafficCountersControl;
class TrafficLogControl;

// The Port menu's items after the window's own (port map, auto test): the traffic log, line
// settings and reconnect, the control lines and send-file panels, the byte counters and the
// arrival times of the receive display. Each item's control is made and wired here.
class PortMenu : public QObject {
    Q_OBJECT
public:
    // statusBar is asked for the window's status bar only when something is to be shown in it
    // (the window grows by its height then).
    PortMenu(QWidget* window, Dialogs& dialogs, QMenu& portMenu, Connection& connection, ConnectionBar& connectionBar,
             SettingsStore& settings, ReceiveDisplay& receive, std::function<QStatusBar*()> statusBar);
    ~PortMenu() override;

    ControlLines& controlLines() { return *controlLines_; }
    ControlLinesPanel& controlLinesPanel() { return *controlLinesPanel_; }
    LineSettingsControl& lineSettings() { return *lineSettings_; }
    // A line of the terminal's own (an answer rule's note) in the running traffic log; nothing
    // when no log runs.
    void note(const QString& text);

private:
    SettingsStore& settings_;
    SerialPort& port_;
    TrafficLogControl* trafficLog_ = nullptr;
    LineSettingsControl* lineSettings_ = nullptr;
    ReconnectControl* reconnect_ = nullptr;
    ControlLines* controlLines_ = nullptr;
    ControlLinesPanel* controlLinesPanel_ = nullptr;
    TrafficCountersControl* counters_ = nullptr;
};

}  // namespace tessa
