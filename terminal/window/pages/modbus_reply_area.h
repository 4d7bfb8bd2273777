#pragma once

#include <QFrame>

class QLabel;
class QPlainTextEdit;
class QSpinBox;

namespace tessa {

struct ModbusReply;

// The decoded reply to the last Modbus panel request, on the Modbus page under the panels:
// a read-only box of a few lines (the whole text also as its tool tip) and the reply window in
// milliseconds beside its caption.
class ModbusReplyArea : public QFrame {
    Q_OBJECT
public:
    explicit ModbusReplyArea(QWidget* parent = nullptr);

    void showReply(const ModbusReply& reply);
    QString text() const;
    QSpinBox& replyWindow() { return *window_; }

private:
    QLabel* caption_ = nullptr;
    QSpinBox* window_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
};

}  // namespace tessa
