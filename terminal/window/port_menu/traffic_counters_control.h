#pragma once

#include "trafficlog/traffic_counters.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QStatusBar;

namespace tessa {

class SerialPort;
class SettingsStore;

// Port > "Byte counters": bytes sent and received since connect and the receive rate, in the
// status bar (off by default, so the window keeps its designed size). A click on them, or a
// connect, starts them from zero. They count whether shown or not.
class TrafficCountersControl : public QObject {
    Q_OBJECT
public:
    static constexpr int kSampleMs = 250;

    TrafficCountersControl(QObject* parent, QMenu& portMenu, SerialPort& port, SettingsStore& settings,
                           std::function<QStatusBar*()> statusBar);

    const TrafficCounters& counters() const { return counters_; }
    void reset();

private:
    void setShown(bool shown);
    void showCounts();
    void showText(const QString& text);

    SettingsStore& settings_;
    std::function<QStatusBar*()> statusBar_;
    TrafficCounters counters_;
    QElapsedTimer clock_;
    QTimer sampleTimer_;
    double rate_ = 0;
    QAction* action_ = nullptr;
    QPushButton* label_ = nullptr;  // made on first use, so the window keeps its size until then
    int padding_ = 0;  // the button's width beyond its text
    qsizetype measuredLength_ = 0;  // the longest text its width was measured for
};

}  // namespace tessa
