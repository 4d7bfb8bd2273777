#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;

namespace tessa {

class Connection;
class Dialogs;
class FilledShape;
class SettingsStore;

// The window's top-left controls: the port number (Text1), the baud rate (Combo1), the line
// setting (Option1), connect and disconnect (Command1, Command2), and the state caption (Label8,
// blinking on Timer12) with its lamp (ComPortShape). It drives the Connection and shows its state.
class ConnectionBar : public QObject {
    Q_OBJECT
public:
    // Builds the controls on form. quietFailures says whether a failed connect goes without a
    // message (the auto test moves on by itself).
    ConnectionBar(Connection& connection, SettingsStore& settings, QWidget& form, Dialogs& dialogs,
                  std::function<bool()> quietFailures);

    QPushButton& connectButton() { return *Command1; }
    // The window shows the connected state (the disconnect button is in sight).
    bool showsConnected() const;
    QString portNumberText() const;
    void setPortNumberText(const QString& text);
    // The stored port number and baud rate, shown at start when they are restored.
    void restore(const QString& comPort, int baudIndex);
    // The row of baudRateTexts() chosen.
    int baudIndex() const;
    // The line setting's caption (Option1 index 0).
    QRadioButton& lineCaption() { return *Option1[0]; }

    void Command1_Click();
    void Command2_Click();
    void Timer12_Timer();
    // The open port's device went away.
    void Comm1_Lost();
    // Asked at a loss: true when someone else tells of it (and acts on it) without a modal
    // message, so that nothing waits for the operator (reconnect is on).
    void setLossToldElsewhere(std::function<bool()> toldElsewhere);

signals:
    // The user connected, disconnected or typed another port number.
    void changedByHand();

private:
    void createControls(QWidget& form);
    void wireEvents();
    bool Text1_KeyPress(QKeyEvent* event);
    void connectFailed(bool numberInTables);
    void showNotConnectedState();

    Connection& connection_;
    SettingsStore& settings_;
    QWidget& form_;
    Dialogs& dialogs_;
    std::function<bool()> quietFailures_;
    std::function<bool()> lossToldElsewhere_;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* Combo1 = nullptr;
    std::array<QRadioButton*, 2> Option1 {};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label8 = nullptr;
    FilledShape* ComPortShape = nullptr;
    QTimer* Timer12 = nullptr;
};

// A drop-down list with a text of its own that typing cannot change.
QComboBox* dropDownList(QWidget* parent, const QString& name, const QStringList& items, const QString& text);

}  // namespace tessa
