#pragma once

#include "trafficlog/traffic_log.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;

namespace tessa {

class CommonDialog;
class Dialogs;
class SerialPort;

// Port > "Traffic log...": records every chunk the port sends and receives to a file the user
// picks. While it runs the item is checked and reads "Stop traffic log", and the status bar
// shows the file and its size; a failure stops it with one message.
class TrafficLogControl : public QObject {
    Q_OBJECT
public:
    TrafficLogControl(QWidget* window, Dialogs& dialogs, QMenu& portMenu, SerialPort& port,
                      std::function<QStatusBar*()> statusBar);

    static constexpr int kStatusIntervalMs = 500;

    const TrafficLog& log() const { return log_; }
    // A line of the terminal's own in the running log (nothing when it does not run).
    void note(const QString& text);

private:
    void menuTriggered();
    void start();
    void stop();
    void showState();
    void showSize();
    void onFailed(const QString& message);

    QWidget* window_;
    Dialogs& dialogs_;
    SerialPort& port_;
    std::function<QStatusBar*()> statusBar_;
    TrafficLog log_;
    QAction* action_ = nullptr;
    QLabel* status_ = nullptr;  // made on first use, so the window keeps its size until then
    CommonDialog* dialog_ = nullptr;
    QTimer sizeTimer_;
};

}  // namespace tessa
