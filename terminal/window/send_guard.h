#pragma once

class QPushButton;
class QWidget;

namespace tessa {

class Dialogs;
class SerialPort;

// The two checks every sender makes before writing. A refusal shows the "not connected"
// message, moves the focus to the connect button (Command1) and returns false.
class SendGuard {
public:
    SendGuard(SerialPort& port, QPushButton& connectButton, QWidget& window, Dialogs& dialogs)
        : port_(port)
        , connectButton_(connectButton)
        , window_(window)
        , dialogs_(dialogs)
    {
    }

    // The port itself is open.
    bool portOpen();
    // The window shows the connected state (the connect button is hidden).
    bool connectButtonHidden();
    // Whether the window shows the connected state, without a message.
    bool showsConnected() const;

private:
    void refuse();

    SerialPort& port_;
    QPushButton& connectButton_;
    QWidget& window_;
    Dialogs& dialogs_;
};

}  // namespace tessa
