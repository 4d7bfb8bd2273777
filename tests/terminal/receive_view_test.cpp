// The fixed-pitch receive view on its own: what it shows of a log and when, how rows wrap and
// scroll, that a hidden view waits to be laid out, and selecting and copying.
#include "receive/receive_display.h"
#include "receive/receive_view.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

using tessa::ReceivedChunk;
using tessa::ReceiveDisplay;
using tessa::ReceiveLogs;
using tessa::ReceiveView;

class ReceiveViewTest : public QObject {
    Q_OBJECT

    ReceiveLogs logs;
    std::unique_ptr<ReceiveView> view;

    QScrollBar* bar() { return view->verticalScrollBar(); }
    int nextLine = 0;
    // Numbered lines, one read each.
    void lines(int count)
    {
        for (int k = 0; k < count; ++k)
            logs.appendRead(QByteArray("line ") + QByteArray::number(nextLine++) + "\r\n");
    }

private slots:
    void init()
    {
        logs = ReceiveLogs();
        nextLine = 0;
        view = std::make_unique<ReceiveView>(logs, ReceiveLogs::Log::Character);
        view->resize(400, 200);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }

    void showsTheLogAsOfItsLastRefresh()
    {
        logs.appendRead(QByteArray("AB\r\nCD"));
        QVERIFY(view->toPlainText().isEmpty());
        QSignalSpy changed(view.get(), &ReceiveView::textChanged);
        view->refresh();
        QCOMPARE(view->property("plainText").toString(), QStringLiteral("AB  \nCD"));
        QCOMPARE(changed.count(), 1);
        logs.appendRead(QByteArray("E"));
        QCOMPARE(view->toPlainText(), QStringLiteral("AB  \nCD"));
        view->refresh();
        QCOMPARE(view->toPlainText(), QStringLiteral("AB  \nCDE"));
        view->refresh();  // nothing new: no change reported
        QCOMPARE(changed.count(), 2);

        // Text put in stays until the next refresh; a log that started again shows nothing.
        view->setProperty("plainText", QStringLiteral("typed"));
        QCOMPARE(view->toPlainText(), QStringLiteral("typed"));
        view->refresh();
        QCOMPARE(view->toPlainText(), QStringLiteral("AB  \nCDE"));
        logs.clear();
        QVERIFY(view->toPlainText().isEmpty());
        QVERIFY(view->rowText(0).isEmpty());
        logs.appendRead(QByteArray("Z"));
        view->refresh();
        QCOMPARE(view->toPlainText(), QStringLiteral("Z"));
    }

    void rowsWrapAtTheColumnCountInWholeGroups()
    {
        auto hex = std::make_unique<ReceiveView>(logs, ReceiveLogs::Log::Hex);
        hex->setWrapUnit(3);
        hex->resize(300, 200);
        hex->show();
        QVERIFY(QTest::qWaitForWindowExposed(hex.get()));
        const int columns = hex->columns();
        QCOMPARE(columns % 3, 0);
        const int bytesPerRow = columns / 3;
        QByteArray read(5 * bytesPerRow + 1, 'A');
        read += "\r\nB";
        logs.appendRead(read);
        hex->refresh();
        // 5 full rows of "41 ", a sixth with the last 41 and 0D 0A, and "42 " on its own line.
        QCOMPARE(hex->rowCount(), 7);
        QCOMPARE(hex->rowText(0), QString(QStringLiteral("41 ")).repeated(bytesPerRow));
        QCOMPARE(hex->rowText(5), QStringLiteral("41 0D 0A "));
        QCOMPARE(hex->rowText(6), QStringLiteral("42 "));
        QVERIFY(hex->rowText(7).isEmpty());

        // A narrower view wraps the same text into more rows.
        hex->resize(150, 200);
        QVERIFY(hex->columns() < columns);
        QCOMPARE(hex->columns() % 3, 0);
        QCOMPARE(hex->rowCount(),
                 static_cast<int>((3 * (5 * bytesPerRow + 2) + hex->columns() - 1) / hex->columns()) + 1);
    }

    void followsTheTailUnlessScrolledBack()
    {
        lines(100);
        view->refresh();
        QCOMPARE(view->rowCount(), 101);  // and an empty last line after the final CR LF
        QCOMPARE(bar()->value(), bar()->maximum());
        QCOMPARE(view->rowText(99), QStringLiteral("line 99  "));
        QVERIFY(bar()->maximum() > 0);

        // Scrolled back, new lines do not move the view; back at the end, it follows again.
        bar()->setValue(10);
        QVERIFY(!view->followsTail());
        lines(5);
        view->refresh();
        QCOMPARE(bar()->value(), 10);
        QCOMPARE(view->rowText(10), QStringLiteral("line 10  "));
        bar()->setValue(bar()->maximum());
        QVERIFY(view->followsTail());
        lines(5);
        view->refresh();
        QCOMPARE(bar()->value(), bar()->maximum());
        QCOMPARE(view->rowText(bar()->maximum() + view->visibleRows() - 2), QStringLiteral("line 109  "));
    }

    void paintsTheNewestRowAtTheBottom()
    {
        lines(100);
        logs.appendRead(QByteArray(30, 'X'));
        view->refresh();
        const int lastRow = view->rowCount() - 1;
        QCOMPARE(view->rowText(lastRow), QString(30, u'X'));
        QVERIFY(lastRow >= view->firstVisibleRow() && lastRow < view->firstVisibleRow() + view->visibleRows());
        // Ink where the last row is painted, none below it.
        const QImage image = view->viewport()->grab().toImage();
        const int rowHeight = view->fontMetrics().lineSpacing();
        const int top = 4 + (lastRow - view->firstVisibleRow()) * rowHeight;
        const auto inked = [&](int y0, int y1) {
            const QRgb background = image.pixel(image.width() - 2, image.height() - 2);
            for (int y = std::max(0, y0); y < std::min(image.height(), y1); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) != background)
                        return true;
            return false;
        };
        QVERIFY(inked(top, top + rowHeight));
        QVERIFY(!inked(top + rowHeight + 1, image.height()));
    }

    void screenAfterManyRefreshesIsWhatAFullRepaintGives()
    {
        // The view moves painted rows up and repaints only what changed, the last row growing
        // ("part" goes on in the next read); the screen must hold what painting all anew gives.
        for (int k = 0; k < 15; ++k) {
            lines(k % 4);
            logs.appendRead(QByteArray("part"));
            view->refresh();
            QTest::qWait(10);
        }
        QCOMPARE(bar()->value(), bar()->maximum());
        QVERIFY(bar()->maximum() > 0);
        const QImage onScreen =
            view->screen()->grabWindow(view->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage repainted = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(onScreen.size(), repainted.size());
        QVERIFY(onScreen == repainted);
    }

    void hiddenViewIsLaidOutOnlyWhenShown()
    {
        view->hide();
        lines(50);
        view->refresh();
        QCOMPARE(view->toPlainText().count(u'\n'), 50);  // its text is up to date
        QCOMPARE(view->rowCount(), 0);  // but it has not been laid out
        view->show();
        QCOMPARE(view->rowCount(), 51);
        QCOMPARE(bar()->value(), bar()->maximum());
    }

    // The display takes each delivered chunk and formats, on a tick, all it took since the
    // last one as one read: a CR LF split between two chunks of one tick reads as a line break,
    // split between two ticks as two dots. Nothing happens while the port is closed; a held
    // display keeps its chunks for a later tick; each chunk keeps its own stamp.
    void displayFormatsTheChunksOfATickAsOneRead()
    {
        QWidget parent;
        ReceiveDisplay display(&parent);
        display.chunkReceived({"a\r", 1'700'000'000'000, 0});
        display.chunkReceived({"\nb", 1'700'000'000'005, 0});
        display.tick(false, false);
        QVERIFY(display.logs().hexLog().isEmpty());
        display.tick(true, true);
        QVERIFY(display.logs().hexLog().isEmpty());
        display.tick(true, false);
        QCOMPARE(display.logs().charLog(), QStringLiteral("a  \r\nb"));
        QCOMPARE(display.logs().hexLog(), QStringLiteral("61 0D 0A \r\n62 "));

        display.clear();
        display.chunkReceived({"\r", 0, 0});
        display.tick(true, false);
        display.chunkReceived({"\n", 0, 0});
        display.tick(true, false);
        QCOMPARE(display.logs().charLog(), QStringLiteral(".."));

        display.clear();
        display.setTimestamps(true);
        const qint64 t = 1'700'000'000'123;
        display.chunkReceived({"x", t, 0});
        display.chunkReceived({"y", t + 9, 0});
        display.tick(true, false);
        QCOMPARE(display.logs().charLog(),
                 tessa::ArrivalStamps::stampText(t) + u'x' + QStringLiteral("\r\n")
                     + tessa::ArrivalStamps::stampText(t + 9) + u'y');
    }

    void selectsByMouseAndCopies()
    {
        logs.appendRead(QByteArray("hello world\r\nsecond"));
        view->refresh();
        const QFontMetrics metrics(view->font());
        const int width = metrics.horizontalAdvance(u'M');
        const int middle = 4 + metrics.lineSpacing() / 2;
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(4, middle));
        QTest::mouseMove(view->viewport(), QPoint(4 + 5 * width, middle + metrics.lineSpacing()));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {},
                            QPoint(4 + 5 * width, middle + metrics.lineSpacing()));
        QCOMPARE(view->selectedText(), QStringLiteral("hello world  \nsecon"));
        QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hello world  \nsecon"));

        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(4 + 8 * width, middle));
        QCOMPARE(view->selectedText(), QStringLiteral("world"));
        QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view->selectedText(), view->toPlainText());
    }

    // A view following a long log repaints its scroll bar only when the handle moves: most
    // receive ticks add rows that move no pixel of a small handle at the bottom.
    void theScrollBarRepaintsOnlyWhenItsHandleMoves()
    {
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        lines(20000);
        view->refresh();
        QTRY_COMPARE(bar()->value(), bar()->maximum());
        QTest::qWait(50);
        bar()->installEventFilter(&counter);
        for (int tick = 0; tick < 5; ++tick) {
            lines(1);
            view->refresh();
            QCoreApplication::processEvents();
        }
        QCOMPARE(bar()->value(), bar()->maximum());
        QCOMPARE(counter.paints, 0);
        // Scrolled to the top, the handle moves and is painted there.
        bar()->setValue(0);
        QTRY_VERIFY(counter.paints > 0);
        const int before = counter.paints;
        // Back to the end: painted again, and each end's arrow state goes with it.
        bar()->setValue(bar()->maximum());
        QTRY_VERIFY(counter.paints > before);
    }
};

QTEST_MAIN(ReceiveViewTest)
#include "receive_view_test.moc"
