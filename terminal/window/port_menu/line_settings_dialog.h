#pragma once

#include "line/line_options.h"

#include <QDialog>

class QComboBox;

namespace tessa {

// Port > "Line settings...": data bits, parity, stop bits and flow control of the line.
class LineSettingsDialog : public QDialog {
    Q_OBJECT
public:
    LineSettingsDialog(const LineOptions& options, QWidget* parent = nullptr);

    LineOptions options() const;

private:
    QComboBox* dataBits_ = nullptr;
    QComboBox* parity_ = nullptr;
    QComboBox* stopBits_ = nullptr;
    QComboBox* flowControl_ = nullptr;
};

}  // namespace tessa
