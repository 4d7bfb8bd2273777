#pragma once

#include <QFrame>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace tessa {

class Dialogs;
class ModbusHistory;
struct ModbusReply;

// The decoded reply to the last Modbus panel request, on the Modbus page under the panels:
// a read-only box of a few lines (the whole text also as its tool tip) and the reply window in
// milliseconds beside its caption, how many requests wait their turn, and a button that opens
// the history of the last requests (to read and copy).
class ModbusReplyArea : public QFrame {
    Q_OBJECT
public:
    explicit ModbusReplyArea(QWidget* parent = nullptr);

    void showReply(const ModbusReply& reply);
    QString text() const;
    QSpinBox& replyWindow() { return *window_; }
    // Requests waiting behind the one awaited (0: none).
    void showQueue(int waiting);
    // A request refused because limit requests already wait.
    void showRefusal(int limit);
    // The history the history button shows, through dialogs.
    void setHistory(const ModbusHistory* history, Dialogs& dialogs);

private:
    void openHistory();

    const ModbusHistory* history_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    QLabel* queue_ = nullptr;
    QPushButton* historyButton_ = nullptr;
    QLabel* caption_ = nullptr;
    QSpinBox* window_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
};

}  // namespace tessa
