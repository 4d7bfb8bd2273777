#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace tessa {

class Dialogs;
class FileSender;
class SerialPort;
class SettingsStore;

// Port > "Send file...": a small non-modal panel that sends any file raw to the port, with a
// pace (bytes per chunk, delay between chunks), a progress bar and Cancel. The bytes go through
// the port's own write, so the traffic log and the counters see them as any other send.
class SendFilePanel : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultChunkBytes = 256;
    static constexpr int kDefaultDelayMs = 10;

    SendFilePanel(SerialPort& port, SettingsStore& settings, Dialogs& dialogs, QWidget* parent = nullptr);

    FileSender& sender() { return *sender_; }

private:
    void browse();
    void send();
    void showRunning(bool running);

    SerialPort& port_;
    SettingsStore& settings_;
    Dialogs& dialogs_;
    FileSender* sender_ = nullptr;
    QLineEdit* path_ = nullptr;
    QSpinBox* chunk_ = nullptr;
    QSpinBox* delay_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace tessa
