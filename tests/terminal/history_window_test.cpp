// The receive history window through the window's Find menu, with real bytes through a pty: a
// marker sent megabytes earlier (far beyond what the receive boxes keep) is found, and the view
// holds still on it while bytes keep arriving, until Follow is chosen again.
#include "receive/history_view.h"
#include "receive/history_window.h"
#include "receive/receive_logs.h"
#include "support/form_test.h"
#include "support/window_test_main.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>

#include <functional>

using tessa::HistoryView;
using tessa::HistoryWindow;
using tessa::testing::FarEnd;

namespace {

// Lines of printable text, size bytes in all, none holding the marker.
QByteArray filler(qsizetype size)
{
    const QByteArray line = "0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    QByteArray bytes;
    bytes.reserve(size + line.size());
    while (bytes.size() < size)
        bytes += line;
    bytes.truncate(size);
    return bytes;
}

}  // namespace

class HistoryWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

    // Writes bytes into the far end as the line takes them, the window reading meanwhile;
    // between writes, check() looks at the window.
    void pour(FarEnd& device, const QByteArray& bytes, const std::function<void()>& check = {})
    {
        QDeadlineTimer deadline(120'000);
        qsizetype written = 0;
        while (written < bytes.size() && !deadline.hasExpired()) {
            const qsizetype n = device.writeSome(QByteArrayView(bytes).sliced(written));
            written += n;
            if (n == 0)
                QTest::qWait(2);
            if (check)
                check();
        }
        QCOMPARE(written, bytes.size());
    }

    // Waits until the window's history holds total bytes.
    void waitForHistory(qint64 total) { QTRY_COMPARE_WITH_TIMEOUT(form->receiveHistory().totalBytes(), total, 60'000); }

private slots:
    void init()
    {
        forgetSettingsAndPorts();
        showForm();
        connectToPty();
    }
    void cleanup() { closeFormAndPty(); }

    void aMarkerMegabytesBackIsFoundAndTheViewHoldsStillOnItWhileBytesArrive()
    {
        FarEnd device(pty->farPath());
        QVERIFY(device.isOpen());
        const QByteArray marker = "<<MARK-3MB-EARLIER>>";
        const QByteArray before = filler(1000);
        const QByteArray after = filler(3 * 1024 * 1024);
        pour(device, before + marker + after);
        const qint64 sent = before.size() + marker.size() + after.size();
        waitForHistory(sent);
        // The receive boxes kept their designed limit: the marker is long gone from them.
        QVERIFY(form->receiveLogs().hexLog().size() <= tessa::ReceiveLogs::kHexLogLimit);
        QVERIFY(!form->receiveLogs().charLog().contains(QString::fromLatin1(marker)));

        // Find menu: Receive history, with its shortcut shown.
        auto* open = child<QAction>("mnu_receive_history");
        QCOMPARE(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
        QVERIFY(child<QMenu>("mnu_find_menu")->actions().contains(open));
        open->trigger();
        auto* window = form->findChild<HistoryWindow*>(QStringLiteral("ReceiveHistoryWindow"));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        auto* view = window->view();
        auto* follow = window->findChild<QPushButton*>(QStringLiteral("HistoryFollow"));
        QVERIFY(follow->isChecked());
        QTRY_COMPARE(view->topRow() + view->visibleRows(), window->pager().endRow());

        // Find (previous, from the newest byte) reaches the marker 3 MB back.
        window->findChild<QLineEdit*>(QStringLiteral("HistoryFindText"))->setText(QString::fromLatin1(marker));
        window->findChild<QPushButton*>(QStringLiteral("HistoryFindPrevious"))->click();
        QCOMPARE(window->pager().selectionStart().value_or(-1), qint64 {before.size()});
        QVERIFY2(window->findChild<QLabel*>(QStringLiteral("HistoryFindStatus"))
                     ->text()
                     .startsWith(QStringLiteral("Found at byte ")),
                 qPrintable(window->findChild<QLabel*>(QStringLiteral("HistoryFindStatus"))->text()));
        QVERIFY(!follow->isChecked());
        const qint64 markerRow = before.size() / tessa::HistoryPager::kBytesPerRow;
        const qint64 top = view->topRow();
        QVERIFY(top <= markerRow && markerRow < top + view->visibleRows());
        QVERIFY2(view->rowText(markerRow).contains(QStringLiteral("<<MA")), qPrintable(view->rowText(markerRow)));
        const QString shownRow = view->rowText(top);

        // More bytes flow in: the view stays on the marker and counts them instead.
        const QByteArray more = filler(512 * 1024);
        int looks = 0;
        pour(device, more, [&] {
            if (view->topRow() != top || view->rowText(top) != shownRow)
                QFAIL("the view moved while bytes arrived");
            ++looks;
        });
        waitForHistory(sent + more.size());
        QVERIFY(looks > 0);
        window->refresh();
        QCOMPARE(view->topRow(), top);
        QCOMPARE(view->rowText(top), shownRow);
        QCOMPARE(window->pager().unseenBytes(), qint64 {more.size()});
        QVERIFY2(window->findChild<QLabel*>(QStringLiteral("HistoryUnseen"))
                     ->text()
                     .contains(QLocale().toString(qint64 {more.size()})),
                 qPrintable(window->findChild<QLabel*>(QStringLiteral("HistoryUnseen"))->text()));

        // Follow again: the newest bytes in sight, nothing counted.
        follow->click();
        QCOMPARE(window->pager().unseenBytes(), 0);
        QCOMPARE(view->topRow() + view->visibleRows(), window->pager().endRow());
        const qint64 lastRow = window->pager().endRow() - 1;
        const qsizetype tail = (sent + more.size()) % tessa::HistoryPager::kBytesPerRow;
        QVERIFY(tail > 0);
        QVERIFY(view->rowText(lastRow).endsWith(tessa::HistoryPager::charText(QByteArrayView(more).last(tail))));
    }

    void aScrollHoldsTheViewAndTheTimerKeepsItThere()
    {
        FarEnd device(pty->farPath());
        pour(device, filler(64 * 1024));
        waitForHistory(64 * 1024);
        child<QAction>("mnu_receive_history")->trigger();
        auto* window = form->findChild<HistoryWindow*>(QStringLiteral("ReceiveHistoryWindow"));
        auto* view = window->view();
        window->refresh();
        view->verticalScrollBar()->setValue(10);  // as the user drags the bar
        QCOMPARE(view->topRow(), window->pager().firstRow() + 10);
        QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("HistoryFollow"))->isChecked());
        pour(device, filler(16 * 1024));
        waitForHistory(80 * 1024);
        QTest::qWait(500);  // the window's own refreshes come and go
        QCOMPARE(view->topRow(), 10);
        QCOMPARE(window->pager().unseenBytes(), 16 * 1024);
    }
};

TESSA_WINDOW_TEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
