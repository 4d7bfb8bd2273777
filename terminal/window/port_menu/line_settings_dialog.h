#pragma once

#include "line/line_settings.h"

#include <QDialog>

class QComboBox;

namespace tessa {

// Port > "Line settings...": data bits, parity, stop bits and flow control of the line.
class LineSettingsDialog : public QDialog {
    Q_OBJECT
public:
    LineSettingsDialog(const LineSettings& options, QWidget* parent = nullptr);

    LineSettings options() const;

private:
    QComboBox* dataBits_ = nullptr;
    QComboBox* parity_ = nullptr;
    QComboBox* stopBits_ = nullptr;
    QComboBox* flowControl_ = nullptr;
};

}  // namespace tessa
