#pragma once

#include "receive/history_pager.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace tessa {

class HistoryView;
class ReceiveDisplay;

// The receive history window (Find menu, Receive history): every byte the history keeps, as hex
// and characters, with Find (next, previous) over all of it. Follow shows the newest bytes as
// they come; Pause, a scroll or a find holds the view still and counts the bytes that come
// meanwhile instead of scrolling them in. It reads the history only while it is shown, a few
// times a second, and only the rows in sight.
//
//   auto* window = new HistoryWindow(form.receiveHistory(), &form);
//   window->open();
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    HistoryWindow(const ReceiveHistory& history, QWidget* parent = nullptr);

    // Shows the window, following the newest bytes.
    void open() override;
    // Reads the history again (the timer does it while the window is shown).
    void refresh();
    const HistoryPager& pager() const { return pager_; }
    HistoryView* view() const { return view_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void find(bool forward);
    void followToggled(bool follow);
    void showState();

    const ReceiveHistory& history_;
    HistoryPager pager_;
    HistoryView* view_ = nullptr;
    QPushButton* follow_ = nullptr;
    QLabel* unseen_ = nullptr;
    QLabel* extent_ = nullptr;
    QLineEdit* findText_ = nullptr;
    QCheckBox* findHex_ = nullptr;
    QPushButton* findNext_ = nullptr;
    QPushButton* findPrevious_ = nullptr;
    QLabel* findStatus_ = nullptr;
    QTimer* timer_ = nullptr;
};

// Adds "Receive history..." (Ctrl+H) to menu and to the receive views' context menus, after
// the actions they already offer (findActions), opening a HistoryWindow owned by window.
// Returns the action.
QAction* addReceiveHistory(QMenu& menu, ReceiveDisplay& display, const QList<QAction*>& findActions,
                           const ReceiveHistory& history, QWidget& window);

}  // namespace tessa
