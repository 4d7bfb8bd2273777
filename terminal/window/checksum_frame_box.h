#pragma once

#include <QGroupBox>
#include <array>

class QCheckBox;
class QLineEdit;

namespace tessa {

class Dialogs;
class ReceiveView;
class SerialPort;

// The hidden frame Frame3: ten hexadecimal byte boxes (Text2) sent as one frame, with a
// checksum byte when "chk sum" (Check1) is ticked, by "Output" (Command3). The auto test
// sends it as its probe.
class ChecksumFrameBox : public QGroupBox {
    Q_OBJECT
public:
    ChecksumFrameBox(SerialPort& port, ReceiveView& hexView, Dialogs& dialogs, QWidget* form);

    void Command3_Click();

private:
    SerialPort& port_;
    ReceiveView& hexView_;
    Dialogs& dialogs_;
    std::array<QLineEdit*, 10> Text2 {};
    QCheckBox* Check1 = nullptr;
};

}  // namespace tessa
