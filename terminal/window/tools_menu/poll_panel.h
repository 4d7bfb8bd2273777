#pragma once

#include "session/session_file.h"

#include <QFile>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tessa {

class Dialogs;
class ModbusPoller;
class SerialPort;

// Tools > "Modbus polling...": one Modbus request sent again and again on the open port
// (ModbusPoller), with the request, period, count, expected values, value format and CSV log
// file chosen here, Start and Stop, the verdict counters (good, mismatch, exception, no reply),
// the round trip's min/median/max and the last values. Controls are found by name: PollRequest,
// PollPeriod, PollCount, PollExpect, PollFormat, PollWordOrder, PollCsv, PollStart, PollStop,
// PollGood, PollMismatch, PollException, PollNoReply, PollRoundTrip, PollValues, PollState.
// (The poller's header stays out of this one: the window's Modbus page has a reply collector
// of the same name.)
class PollPanel : public QWidget {
    Q_OBJECT
public:
    PollPanel(SerialPort& port, Dialogs& dialogs, QWidget* parent);
    ~PollPanel() override;

    // Starts a poll with what the controls hold; false, saying why in PollState, when they are
    // not usable, the port is closed or the CSV file cannot be made.
    bool start();
    void stop();
    const ModbusPoller& poller() const { return *poller_; }
    // The boxes as typed, for session files, and back (a format or word order it does not know
    // leaves that box as it is).
    PollPanelState state() const;
    void setState(const PollPanelState& state);

private:
    void showStatistics();
    void finished(bool writeFailed);
    void chooseCsv();

    SerialPort& port_;
    QPointer<SerialPort> portAlive_;
    Dialogs& dialogs_;
    ModbusPoller* poller_;
    QFile csv_;
    QLineEdit* request_ = nullptr;
    QSpinBox* period_ = nullptr;
    QSpinBox* count_ = nullptr;
    QLineEdit* expect_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* wordOrder_ = nullptr;
    QLineEdit* csvPath_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* good_ = nullptr;
    QLabel* mismatch_ = nullptr;
    QLabel* exception_ = nullptr;
    QLabel* noReply_ = nullptr;
    QLabel* roundTrip_ = nullptr;
    QLabel* values_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace tessa
