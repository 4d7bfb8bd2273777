#pragma once

#include "receive/receive_find.h"

#include <QDialog>

#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessa {

class ReceiveDisplay;
class ReceiveView;
class SettingsStore;

// Find in the receive view in sight, opened with Find (Ctrl+F; Find next F3, Find previous
// Shift+F3: actions the window puts in its menu and the views in their context menu): text in the character
// view, a byte sequence typed as hex in the hexadecimal one. All matches in the log are painted,
// Next and Previous go round. While bytes keep arriving the log only grows, so the current
// match stays where it is; when the log starts again (at its limit, or cleared) the count starts
// anew and Next goes to the first match of the new log.
class FindPanel : public QDialog {
    Q_OBJECT
public:
    FindPanel(ReceiveDisplay& display, SettingsStore& settings, QWidget* parent = nullptr);

    // Shows the panel for the view in sight.
    void open();
    void findNext() { step(true); }
    void findPrevious() { step(false); }
    // Find (opens the panel), Find next, Find previous, with their shortcuts.
    QList<QAction*> actions() const { return {findAction_, nextAction_, previousAction_}; }
    std::size_t matchCount() const { return spans_.size(); }

private:
    ReceiveView* viewInSight() const;
    bool searchingBytes() const;
    void search();
    void step(bool forward);
    void showStatus();
    void textEdited();

    ReceiveDisplay& display_;
    SettingsStore& settings_;
    QLineEdit* text_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* previous_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* findAction_ = nullptr;
    QAction* nextAction_ = nullptr;
    QAction* previousAction_ = nullptr;

    ReceiveView* view_ = nullptr;  // the view searched
    FoundSpans spans_;
    std::optional<qsizetype> current_;  // start of the current match
    quint64 generation_ = 0;
    bool startedAgain_ = false;
    bool badHex_ = false;
};

}  // namespace tessa
