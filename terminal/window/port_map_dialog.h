#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QSpinBox;

namespace tessa {

class SettingsStore;

// Maps a port number to a device: the system's serial ports are offered, any other path
// (a pseudo-terminal, say) can be typed. The choice is kept under "Ports/COM<N>".
class PortMapDialog : public QDialog {
    Q_OBJECT
public:
    PortMapDialog(SettingsStore& store, int portNumber, QWidget* parent = nullptr);

    void accept() override;

private:
    void showMappingOf(int portNumber);

    SettingsStore& store_;
    QSpinBox* number_ = nullptr;
    QComboBox* device_ = nullptr;
    QLabel* effective_ = nullptr;
};

}  // namespace tessa
