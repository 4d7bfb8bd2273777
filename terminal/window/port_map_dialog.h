#pragma once

#include "serial/port_watcher.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QSpinBox;

namespace tessa {

class SettingsStore;

// Maps a port number to a device: the system's serial ports are offered, any other path
// (a pseudo-terminal, say) can be typed. The choice is kept under "Ports/COM<N>". The list
// follows ports as they come and go while the dialog is open; besides the system's ports it
// holds the mapped paths (and those set by the environment) that are present.
class PortMapDialog : public QDialog {
    Q_OBJECT
public:
    PortMapDialog(SettingsStore& store, int portNumber, QWidget* parent = nullptr);

    void accept() override;

private:
    void showMappingOf(int portNumber);
    void listPorts();

    SettingsStore& store_;
    QSpinBox* number_ = nullptr;
    QComboBox* device_ = nullptr;
    QLabel* effective_ = nullptr;
    PortWatcher watcher_;
};

}  // namespace tessa
