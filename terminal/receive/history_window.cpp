#include "receive/history_window.h"

#include "receive/history_view.h"
#include "receive/receive_display.h"
#include "receive/receive_find.h"
#include "receive/receive_view.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {
// Often enough to look live, seldom enough to cost nothing at 921600 baud.
constexpr int kRefreshMs = 200;
}  // namespace

HistoryWindow::HistoryWindow(const ReceiveHistory& history, QWidget* parent)
    : QDialog(parent, Qt::Window)
    , history_(history)
    , pager_(history)
{
    setObjectName(u"ReceiveHistoryWindow"_s);
    setWindowTitle(tr("Receive history"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    follow_ = new QPushButton(tr("Follow"), this);
    follow_->setObjectName(u"HistoryFollow"_s);
    follow_->setCheckable(true);
    follow_->setChecked(true);
    follow_->setToolTip(tr("On: shows the newest bytes as they come. Off: the view holds still and "
                           "counts the bytes that come meanwhile"));
    unseen_ = new QLabel(this);
    unseen_->setObjectName(u"HistoryUnseen"_s);
    extent_ = new QLabel(this);
    extent_->setObjectName(u"HistoryExtent"_s);
    top->addWidget(follow_);
    top->addWidget(unseen_, 1);
    top->addWidget(extent_);
    layout->addLayout(top);

    auto* findRow = new QHBoxLayout;
    findText_ = new QLineEdit(this);
    findText_->setObjectName(u"HistoryFindText"_s);
    findText_->setClearButtonEnabled(true);
    findText_->setPlaceholderText(tr("text to find"));
    findText_->setToolTip(tr("Text (or hex bytes) to find among all the bytes kept"));
    findHex_ = new QCheckBox(tr("Hex"), this);
    findHex_->setObjectName(u"HistoryFindHex"_s);
    findHex_->setToolTip(tr("Find bytes typed as hex digit pairs, e.g. 0D 0A"));
    findPrevious_ = new QPushButton(tr("Previous"), this);
    findPrevious_->setObjectName(u"HistoryFindPrevious"_s);
    findPrevious_->setToolTip(tr("Finds the match before the current one (Shift+F3)"));
    findPrevious_->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    findNext_ = new QPushButton(tr("Next"), this);
    findNext_->setObjectName(u"HistoryFindNext"_s);
    findNext_->setToolTip(tr("Finds the match after the current one (F3)"));
    findNext_->setShortcut(QKeySequence(Qt::Key_F3));
    findNext_->setDefault(true);
    findRow->addWidget(findText_, 1);
    findRow->addWidget(findHex_);
    findRow->addWidget(findPrevious_);
    findRow->addWidget(findNext_);
    layout->addLayout(findRow);
    findStatus_ = new QLabel(this);
    findStatus_->setObjectName(u"HistoryFindStatus"_s);
    layout->addWidget(findStatus_);

    view_ = new HistoryView(pager_, this);
    view_->setObjectName(u"HistoryView"_s);
    layout->addWidget(view_, 1);
    resize(760, 480);

    timer_ = new QTimer(this);
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, &HistoryWindow::refresh);
    connect(follow_, &QPushButton::toggled, this, &HistoryWindow::followToggled);
    connect(view_, &HistoryView::scrolledByUser, this, &HistoryWindow::showState);
    connect(findNext_, &QPushButton::clicked, this, [this] { find(true); });
    connect(findPrevious_, &QPushButton::clicked, this, [this] { find(false); });
    connect(findText_, &QLineEdit::returnPressed, this, [this] { find(true); });
    showState();
}

void HistoryWindow::open()
{
    pager_.follow();
    show();
    raise();
    activateWindow();
    findText_->setFocus();
    refresh();
}

void HistoryWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    timer_->start();
}

void HistoryWindow::hideEvent(QHideEvent* event)
{
    timer_->stop();
    QDialog::hideEvent(event);
}

void HistoryWindow::refresh()
{
    view_->refresh();
    showState();
}

void HistoryWindow::followToggled(bool follow)
{
    if (follow)
        pager_.follow();
    else
        pager_.pause(view_->visibleRows());
    refresh();
}

void HistoryWindow::find(bool forward)
{
    QByteArray needle;
    if (findHex_->isChecked()) {
        const std::optional<QByteArray> bytes = parseHexBytes(findText_->text());
        if (!bytes) {
            findStatus_->setText(tr("Type bytes as hex digit pairs, e.g. 0D 0A"));
            return;
        }
        needle = *bytes;
    } else {
        needle = findText_->text().toUtf8();
    }
    if (needle.isEmpty())
        return;
    if (!pager_.find(needle, forward, view_->visibleRows())) {
        findStatus_->setText(
            tr("Not among the %1 bytes kept").arg(QLocale().toString(history_.totalBytes() - history_.firstKept())));
        return;
    }
    const qint64 at = *pager_.selectionStart();
    QString text = tr("Found at byte %1 (%2 bytes before the newest)")
                       .arg(QLocale().toString(at))
                       .arg(QLocale().toString(history_.totalBytes() - at));
    if (pager_.wentRound())
        text = (forward ? tr("Went round to the oldest byte. ") : tr("Went round to the newest byte. ")) + text;
    findStatus_->setText(text);
    view_->repaintRows();
    showState();
}

void HistoryWindow::showState()
{
    const bool following = pager_.following();
    if (follow_->isChecked() != following) {
        const QSignalBlocker quiet(follow_);
        follow_->setChecked(following);
    }
    unseen_->setText(following ? QString()
                               : tr("Paused: %1 new bytes not shown").arg(QLocale().toString(pager_.unseenBytes())));
    extent_->setText(tr("%1 bytes kept of %2 received")
                         .arg(QLocale().toString(history_.totalBytes() - history_.firstKept()))
                         .arg(QLocale().toString(history_.totalBytes())));
}

QAction* addReceiveHistory(QMenu& menu, ReceiveDisplay& display, const QList<QAction*>& findActions,
                           const ReceiveHistory& history, QWidget& window)
{
    auto* historyWindow = new HistoryWindow(history, &window);
    QAction* action = menu.addAction(HistoryWindow::tr("Receive &history..."));
    action->setObjectName(u"mnu_receive_history"_s);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    action->setToolTip(HistoryWindow::tr("Every byte received in this session, with Find; holds still while you look"));
    QObject::connect(action, &QAction::triggered, historyWindow, &HistoryWindow::open);
    for (ReceiveView* view : {display.characterView(), display.hexView()})
        view->setExtraActions(QList<QAction*>(findActions) << action);
    return action;
}

}  // namespace tessa
