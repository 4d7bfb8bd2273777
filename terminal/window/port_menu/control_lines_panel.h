#pragma once

#include "serial/control_lines.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tessa {

// Port > "Control lines...": a small non-modal panel with RTS and DTR as check boxes, a break
// of a chosen length, and CTS, DSR, DCD and RI as lamps (property "lit"). On a line without
// modem lines one note says so in place of the lamps and toggles.
class ControlLinesPanel : public QDialog {
    Q_OBJECT
public:
    ControlLinesPanel(ControlLines& lines, QWidget* parent = nullptr);

    static QString unavailableText();
    // The tool tip of a lamp: what the input line is and when it is lit.
    static QString lampTip(QSerialPort::PinoutSignal line);

private:
    void showState();
    void showInputs(QSerialPort::PinoutSignals inputs);
    void showOutputs();

    ControlLines& lines_;
    QCheckBox* rts_ = nullptr;
    QCheckBox* dtr_ = nullptr;
    QSpinBox* breakMs_ = nullptr;
    QPushButton* break_ = nullptr;
    QList<QLabel*> lamps_;
    QWidget* lampRow_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* breakNote_ = nullptr;
};

}  // namespace tessa
