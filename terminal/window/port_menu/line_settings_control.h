#pragma once

#include "line/line_settings.h"

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QRadioButton;
class QWidget;

namespace tessa {

class Dialogs;
class SerialPort;
class SettingsStore;

// Port > "Line settings...": the choice is laid over every open of the port and applied at once
// to an open port. What the line refuses (a pseudo-terminal has no parity nor 7 data bits) is
// said in a message at the change, and at a connect unless that device refused the same before
// (the auto test and a reconnect open the port again and again); Option1's caption ("e,8,1")
// and the store then hold what the line runs with, the refused wish is only in the message.
class LineSettingsControl : public QObject {
    Q_OBJECT
public:
    LineSettingsControl(QWidget* window, Dialogs& dialogs, QMenu& portMenu, SerialPort& port, SettingsStore& settings,
                        QRadioButton& caption);

    LineSettings options() const { return options_; }
    // Takes line as the choice, as the dialog does: kept in the store, laid over every open and
    // applied at once to an open port (what that line refuses is said in a message).
    void setOptions(const LineSettings& line);

private:
    void menuTriggered();
    void showCaption();
    void reportRefusal(const QString& refusal);
    void reportRefusalAtOpen();
    void keepWhatTheLineTook(const QString& refusal);

    QWidget* window_;
    Dialogs& dialogs_;
    SerialPort& port_;
    SettingsStore& settings_;
    LineSettings options_;
    QAction* action_ = nullptr;
    QRadioButton* caption_ = nullptr;
    QStringList reported_;  // device and refusal, said since the choice was last changed
};

}  // namespace tessa
