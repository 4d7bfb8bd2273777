#pragma once

#include "answers/answer_rule.h"

#include <QDialog>
#include <QList>

#include <functional>

class QSpinBox;
class QTableWidget;

namespace tessa {

// Tools > Answers...: the answer rules as a table, one row per rule:
//   On | Name | Form (text, hex) | Pattern | Action (send, note, count, stop) | Data | Options | Matches
// Data is the frame to send or the note; Options are words among "hex crlf checksum crc" for the
// frame. Matches shows each rule's count while the dialog is open. The rate limit (actions per
// second) is below the table.
class AnswersDialog : public QDialog {
    Q_OBJECT
public:
    enum Column { On, Name, Form, Pattern, Action, Data, Options, Matches, ColumnCount };

    // matchCount gives the count of rule i of the rules shown, or -1 when not known.
    AnswersDialog(const QList<AnswerRule>& rules, int actionsPerSecond, std::function<qint64(int)> matchCount,
                  QWidget* parent = nullptr);

    // The rules as the table holds them; a row whose form or action is not a known word is
    // returned as is with the problem in problems (one line per row).
    QList<AnswerRule> rules(QStringList* problems = nullptr) const;
    int actionsPerSecond() const;

    // Appends a row for rule (the Add button adds an empty count rule).
    void addRule(const AnswerRule& rule);
    // Refreshes the Matches column.
    void refreshCounts();

private:
    QTableWidget* table_;
    QSpinBox* rate_;
    std::function<qint64(int)> matchCount_;
};

}  // namespace tessa
