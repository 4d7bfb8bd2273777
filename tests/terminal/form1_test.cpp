// Drives the window as a user would: clicks, keys, timers, message boxes, against real
// pseudo-terminal pairs.
#include "receive/receive_view.h"
#include "support/bytes_of.h"
#include "support/form_test.h"
#include "support/window_test_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSpinBox>

#include <sys/resource.h>

using tessa::testing::bytesOf;
using tessa::testing::FarEnd;
using tessa::testing::kNotConnected;
using tessa::testing::PtyPair;
using tessa::testing::ScriptedDialogs;
using tessa::testing::stored;

namespace {

QColor labelTextColor(QLabel* label)
{
    return label->palette().color(QPalette::Active, QPalette::WindowText);
}

int px(int twips, const QWidget* w)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}

int py(int twips, const QWidget* w)
{
    return qRound(twips * w->logicalDpiY() / 1440.0);
}

}  // namespace

class Form1Test : public tessa::testing::FormTest {
    Q_OBJECT

private:
    QPushButton* Command1() { return button("Command1"); }
    QPushButton* Command2() { return button("Command2"); }

private slots:
    void init() { forgetSettingsAndPorts(); }
    void cleanup() { closeFormAndPty(); }

    void firstStartIsWideNotConnectedAndPolling()
    {
        form = makeForm();
        verifyNotConnected();
        QCOMPARE(form->size(), QSize(px(16425, form.get()), py(7410, form.get())));
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QStringLiteral("115200"));
        QCOMPARE(child<QComboBox>("Combo1")->currentIndex(), -1);
        QVERIFY(child<QTimer>("Timer1")->isActive());
        QVERIFY(!child<QTimer>("Timer4")->isActive());
        QCOMPARE(child<tessa::ReceiveView>("Text6")->y(), child<tessa::ReceiveView>("Text4")->y());
        QCOMPARE(form->portAvailability(1), 1);
        QCOMPARE(form->portAvailability(20), 1);
        QCOMPARE(form->portAvailability(21), 0);
        QVERIFY(form->restoredPanelValues().isEmpty());
    }

    // The port number and the baud rate stay unread until REL1 holds something other than "1".
    void storedFieldsAreRestoredOnlyWithRel1()
    {
        tessa::SettingsStore store;
        store.write(QStringLiteral("COM PORT"), QStringLiteral("5"));
        store.write(QStringLiteral("BAUD RATE"), QStringLiteral("2"));
        form = makeForm();
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("1"));
        QCOMPARE(child<QComboBox>("Combo1")->currentIndex(), -1);
        store.write(QStringLiteral("REL1"), QStringLiteral("1"));
        form = makeForm();
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("1"));

        store.write(QStringLiteral("REL1"), QStringLiteral("REL=1600"));
        form = makeForm();
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("5"));
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QStringLiteral("4800"));
        QCOMPARE(child<QComboBox>("Combo1")->currentIndex(), 2);
        QVERIFY(form->restoredPanelValues().contains({QStringLiteral("REL1"), QStringLiteral("REL=1600")}));
        QVERIFY(form->restoredPanelValues().contains({QStringLiteral("sabs"), QStringLiteral("1")}));
    }

    void nonNumericStoredValuesTakeTheirDefaults()
    {
        tessa::SettingsStore store;
        store.write(QStringLiteral("REL1"), QStringLiteral("x"));
        store.write(QStringLiteral("BAUD RATE"), QStringLiteral("fast"));
        store.write(QStringLiteral("Width_type"), QStringLiteral("narrow"));
        form = makeForm();
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QStringLiteral("9600"));
        QVERIFY(child<QAction>("mu_screen_w")->isChecked());
        QCOMPARE(form->width(), px(16425, form.get()));

        store.write(QStringLiteral("BAUD RATE"), QStringLiteral("12"));
        form = makeForm();
        QCOMPARE(child<QComboBox>("Combo1")->currentIndex(), 3);
    }

    // Width_type "0" starts narrow; each size item rearranges the window and is stored.
    void narrowModeIsRestoredAndRoundTrips()
    {
        tessa::SettingsStore().write(QStringLiteral("Width_type"), QStringLiteral("0"));
        form = makeForm();
        Form1* f = form.get();
        // In twips: the window's size, the receive views' place and size, and the row of their
        // caption and buttons (its top, then the left of Label3, Command16 and Command14).
        const struct {
            const char* item;
            int width, height;
            QRect views;
            int row, label3, command16, command14;
        } modes[] = {{"mnu_screen_narrow", 9150, 12365, {240, 7500, 8655, 4100}, 7000, 240, 2520, 4080},
                     {"mu_screen_w", 16425, 7410, {9000, 1320, 7215, 5100}, 840, 9840, 12120, 13680},
                     {"mnu_screen_narrow", 9150, 12365, {240, 7500, 8655, 4100}, 7000, 240, 2520, 4080}};
        for (const auto& mode : modes) {
            if (&mode != &modes[0])
                child<QAction>(mode.item)->trigger();
            const bool narrow = mode.width == 9150;
            QCOMPARE(stored("Width_type"), narrow ? QStringLiteral("0") : QStringLiteral("1"));
            QCOMPARE(f->size(), QSize(px(mode.width, f), py(mode.height, f)));
            QCOMPARE(child<QWidget>("Line1")->isHidden(), !narrow);
            QCOMPARE(child<QAction>("mnu_screen_narrow")->isChecked(), narrow);
            QCOMPARE(child<QAction>("mu_screen_w")->isChecked(), !narrow);
            const QRect views(px(mode.views.x(), f), py(mode.views.y(), f), px(mode.views.width(), f),
                              py(mode.views.height(), f));
            QCOMPARE(child<QWidget>("Text6")->geometry(), views);
            QCOMPARE(child<QWidget>("Text4")->geometry(), views);
            QCOMPARE(child<QWidget>("Label3")->pos(), QPoint(px(mode.label3, f), py(mode.row, f)));
            QCOMPARE(child<QWidget>("Command16")->pos(), QPoint(px(mode.command16, f), py(mode.row, f)));
            QCOMPARE(child<QWidget>("Command14")->pos(), QPoint(px(mode.command14, f), py(mode.row, f)));
        }
    }

    void remainRowsCannotStaySelected()
    {
        form = makeForm();
        auto* combo2 = child<QComboBox>("Combo2");
        combo2->setCurrentIndex(5);
        combo2->setCurrentIndex(0);
        QCOMPARE(combo2->currentIndex(), 2);
        combo2->setCurrentIndex(1);
        QCOMPARE(combo2->currentIndex(), 2);
    }

    void baudRateListIgnoresTypingAndStoresTheChosenRow()
    {
        showForm();
        auto* combo1 = child<QComboBox>("Combo1");
        combo1->setFocus();
        QTest::keyClicks(combo1, QStringLiteral("42"));
        QTest::keyClick(combo1, Qt::Key_Backspace);
        QCOMPARE(combo1->currentText(), QStringLiteral("115200"));
        QCOMPARE(stored("BAUD RATE"), QStringLiteral("<absent>"));
        combo1->setCurrentIndex(4);
        QTest::keyClick(combo1, Qt::Key_Down);
        QCOMPARE(combo1->currentText(), QStringLiteral("38400"));
        QCOMPARE(stored("BAUD RATE"), QStringLiteral("5"));
    }

    void connectAndDisconnectShowTheirStates()
    {
        form = makeForm();
        QCOMPARE(labelTextColor(child<QLabel>("Label8")), QColor(0x80, 0x80, 0x80));  // grey from the start
        auto* options = form->findChildren<QRadioButton*>(QStringLiteral("Option1")).at(1);
        options->setChecked(true);
        child<QComboBox>("Combo1")->setCurrentIndex(3);
        connectToPty();
        QVERIFY(Command1()->isHidden());
        QVERIFY(!Command2()->isHidden());
        QCOMPARE(child<tessa::FilledShape>("ComPortShape")->fillColor(), QColor(0x00, 0xFF, 0x00));
        auto* label8 = child<QLabel>("Label8");
        QCOMPARE(label8->text(), QStringLiteral("連線中..."));
        QCOMPARE(labelTextColor(label8), QColor(0x00, 0xC0, 0x00));
        QVERIFY(child<QTimer>("Timer12")->isActive());
        QCOMPARE(form->comm1().settings(), QStringLiteral("9600,n,8,1"));
        QVERIFY(form->findChildren<QRadioButton*>(QStringLiteral("Option1")).at(0)->isChecked());
        QCOMPARE(form->portAvailability(3), 1);
        QCOMPARE(form->connectSucceeded(), 1);

        // The caption blinks: gone on one tick, back on the next.
        QTRY_VERIFY_WITH_TIMEOUT(label8->text().isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(label8->text(), QStringLiteral("連線中..."), 5000);

        QTest::mouseClick(Command2(), Qt::LeftButton);
        verifyNotConnected();
        QCOMPARE(labelTextColor(label8), QColor(0x80, 0x80, 0x80));

        // The port is free again for someone else.
        QSerialPort other(pty->nearPath());
        QVERIFY(other.open(QIODevice::ReadWrite));
    }

    void busyMissingAndOutOfTableNumbersAreRefused()
    {
        form = makeForm();
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->ready());
        QSerialPort other(pty->nearPath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        tessa::testing::mapPort(4, pty->nearPath());
        auto* text1 = child<QLineEdit>("Text1");
        text1->setText(QStringLiteral("4"));
        ScriptedDialogs& answers = freshDialogs();
        QTest::mouseClick(Command1(), Qt::LeftButton);
        QCOMPARE(answers.texts, QStringList {QStringLiteral("通訊埠已被其他程式佔用!")});
        QCOMPARE(answers.titles, QStringList {QStringLiteral("提示")});
        verifyNotConnected();
        QCOMPARE(form->portAvailability(4), 0);

        // Not "in use by another program": there is no device at all.
        qputenv("TESSA_COM6", "/nonexistent/tessa-device");
        text1->setText(QStringLiteral("6"));
        QTest::mouseClick(Command1(), Qt::LeftButton);
        QCOMPARE(answers.texts.value(1), QStringLiteral("找不到通訊埠 COM6 的裝置 (/nonexistent/tessa-device)!"));
        QCOMPARE(form->portAvailability(6), 0);

        for (const QString& number :
             {QStringLiteral("0"), QStringLiteral("22"), QStringLiteral("99999999"), QString()}) {
            text1->setText(number);
            QTest::mouseClick(Command1(), Qt::LeftButton);
            QVERIFY2(answers.texts.last().contains(QStringLiteral("1 到 21")), qPrintable(answers.texts.last()));
            QVERIFY(!form->comm1().isOpen());
            QVERIFY(!Command1()->isHidden());
        }
        QCOMPARE(answers.texts.size(), 6);
        QCOMPARE(form->portAvailability(21), 0);
    }

    void typingIntoText1WhileConnectedDisconnects()
    {
        showForm();
        connectToPty();
        auto* text1 = child<QLineEdit>("Text1");
        text1->setFocus();
        text1->setCursorPosition(1);

        QTest::keyClick(text1, Qt::Key_A);  // a letter changes nothing
        text1->setCursorPosition(0);
        QTest::keyClick(text1, Qt::Key_Delete);  // only digits, Enter and Backspace edit the number
        text1->setCursorPosition(1);
        QCOMPARE(text1->text(), QStringLiteral("3"));
        QVERIFY(form->comm1().isOpen());
        QVERIFY(Command1()->isHidden());

        QTest::keyClick(text1, Qt::Key_3);
        QCOMPARE(text1->text(), QStringLiteral("33"));
        verifyNotConnected();
        QCOMPARE(labelTextColor(child<QLabel>("Label8")), QColor(0x80, 0x80, 0x80));
        QCOMPARE(stored("COM PORT"), QStringLiteral("33"));

        QTest::keyClick(text1, Qt::Key_Backspace);
        QCOMPARE(stored("COM PORT"), QStringLiteral("3"));
    }

    void commandLineSendsVerByteForByte()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        QVERIFY(far.isOpen());
        auto* text7 = child<QLineEdit>("Text7");
        child<QPushButton>("Command16")->click();  // hexadecimal view; typing returns to characters
        QVERIFY(!child<tessa::ReceiveView>("Text4")->isHidden());

        QTest::mouseClick(text7, Qt::LeftButton);  // connected: no guard message
        QTest::keyClicks(text7, QStringLiteral("ver"));
        QVERIFY(!child<tessa::ReceiveView>("Text6")->isHidden());
        QCOMPARE(child<QLabel>("Label3")->text(), QStringLiteral("接收資料(字元)"));
        QTest::keyClick(text7, Qt::Key_Return);
        QCOMPARE(far.read(5), bytesOf({0x76, 0x65, 0x72, 0x0D, 0x0A}));
        QCOMPARE(form->receiveLogs().hexLog(), QStringLiteral("\r\n\r\n\r\n\r\n"));
        QVERIFY(text7->text().isEmpty());
        QCOMPARE(child<QListWidget>("List2")->item(7)->text(), QStringLiteral("ver"));

        child<QCheckBox>("Check4")->setChecked(false);
        QTest::keyClicks(text7, QStringLiteral("ver"));
        QTest::keyClick(text7, Qt::Key_Enter);
        QCOMPARE(far.read(3), QByteArray("ver"));
        QVERIFY(far.readFor(300).isEmpty());

        // Enter on an empty line sends nothing.
        QTest::keyClick(text7, Qt::Key_Return);
        QVERIFY(far.readFor(300).isEmpty());
    }

    void historyKeepsTheLastEightLinesAndResends()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        auto* text7 = child<QLineEdit>("Text7");
        auto* list2 = child<QListWidget>("List2");
        text7->setFocus();
        for (const char* line : {"a", "b", "c", "d", "e", "f", "g", "h"}) {
            QTest::keyClicks(text7, QString::fromLatin1(line));
            QTest::keyClick(text7, Qt::Key_Return);
        }
        QCOMPARE(far.read(8 * 3).size(), 24);
        for (int row = 0; row < 8; ++row)
            QCOMPARE(list2->item(row)->text(), QString(QChar(u'a' + row)));
        QVERIFY(list2->item(8)->text().isEmpty());
        QVERIFY(list2->item(9)->text().isEmpty());
        QTest::keyClicks(text7, QStringLiteral("i"));
        QTest::keyClick(text7, Qt::Key_Return);
        QCOMPARE(far.read(3), QByteArray("i\r\n"));
        QCOMPARE(list2->item(0)->text(), QStringLiteral("b"));
        QCOMPARE(list2->item(7)->text(), QStringLiteral("i"));

        // Double-clicking a row sends it again; an empty row sends nothing.
        const QRect row3 = list2->visualItemRect(list2->item(3));
        QTest::mouseClick(list2->viewport(), Qt::LeftButton, {}, row3.center());
        QTest::mouseDClick(list2->viewport(), Qt::LeftButton, {}, row3.center());
        QCOMPARE(far.read(3), QByteArray("e\r\n"));
        const QRect row9 = list2->visualItemRect(list2->item(9));
        QTest::mouseClick(list2->viewport(), Qt::LeftButton, {}, row9.center());
        QTest::mouseDClick(list2->viewport(), Qt::LeftButton, {}, row9.center());
        QVERIFY(far.readFor(300).isEmpty());
    }

    void commandLineIsGuardedWhileNotConnected()
    {
        showForm();
        auto* text7 = child<QLineEdit>("Text7");
        ScriptedDialogs& answers = freshDialogs();
        QTest::mouseClick(text7, Qt::LeftButton);
        QCOMPARE(answers.texts, QStringList {kNotConnected});
        QCOMPARE(answers.titles, QStringList {QStringLiteral("提示")});
        QTRY_COMPARE(form->focusWidget(), static_cast<QWidget*>(Command1()));

        // A line entered by keyboard is refused and stays; nothing enters the history.
        text7->setFocus();
        QTest::keyClicks(text7, QStringLiteral("ver"));
        QTest::keyClick(text7, Qt::Key_Return);
        QCOMPARE(answers.texts.size(), 2);
        QCOMPARE(text7->text(), QStringLiteral("ver"));
        QVERIFY(child<QListWidget>("List2")->item(7)->text().isEmpty());
    }

    void farEndBytesShowInBothViewsOnTheFollowingTicks()
    {
        form = makeForm();
        connectToPty();
        FarEnd far(pty->farPath());
        QVERIFY(far.write(bytesOf({0x41, 0x42, 0x0D, 0x0A, 0x43, 0x44})));
        auto* text4 = child<tessa::ReceiveView>("Text4");
        auto* text6 = child<tessa::ReceiveView>("Text6");
        // The views show the logs, line breaks and all, on a later tick than the read.
        QTRY_COMPARE_WITH_TIMEOUT(text6->toPlainText(), QStringLiteral("AB  \nCD"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(text4->toPlainText(), QStringLiteral("41 42 0D 0A \n43 44 "), 5000);
        QVERIFY(text6->followsTail());

        QVERIFY(far.write(bytesOf({0x09, 0x80, 0xFF, 0x0D})));
        QTRY_COMPARE_WITH_TIMEOUT(text6->toPlainText(), QStringLiteral("AB  \nCD...."), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(text4->toPlainText(), QStringLiteral("41 42 0D 0A \n43 44 09 80 FF 0D "), 5000);

        // Switching twice returns to the first view; clearing empties views and logs.
        auto* label3 = child<QLabel>("Label3");
        child<QPushButton>("Command16")->click();
        QVERIFY(!text4->isHidden());
        QVERIFY(text6->isHidden());
        QCOMPARE(label3->text(), QStringLiteral("接收資料(16進制)"));
        child<QPushButton>("Command16")->click();
        QVERIFY(text4->isHidden());
        QVERIFY(!text6->isHidden());
        QCOMPARE(label3->text(), QStringLiteral("接收資料(字元)"));

        child<QPushButton>("Command14")->click();
        QVERIFY(text4->toPlainText().isEmpty());
        QVERIFY(text6->toPlainText().isEmpty());
        QVERIFY(form->receiveLogs().hexLog().isEmpty());
        QVERIFY(far.write(QByteArray("Z")));
        QTRY_COMPARE_WITH_TIMEOUT(text6->toPlainText(), QStringLiteral("Z"), 5000);
        QCOMPARE(text4->toPlainText(), QStringLiteral("5A "));

        // Text typed into a view is replaced by the whole log at the next refresh.
        text4->setPlainText(QStringLiteral("typed"));
        text6->setPlainText(text6->toPlainText() + QStringLiteral("typed"));
        QVERIFY(far.write(QByteArray("\r\nY")));
        QTRY_COMPARE_WITH_TIMEOUT(text6->toPlainText(), QStringLiteral("Z  \nY"), 5000);
        QCOMPARE(text4->toPlainText(), QStringLiteral("5A 0D 0A \n59 "));
    }

    void readThatPassesTheLimitIsShownAtOnce()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        auto* text4 = child<tessa::ReceiveView>("Text4");
        auto* text6 = child<tessa::ReceiveView>("Text6");
        QVERIFY(far.write(QByteArray(13000, 'a')));  // 39000 hex characters
        QTRY_COMPARE_WITH_TIMEOUT(text6->toPlainText().size(), 13000, 5000);
        // 400 more bytes would pass 40000: the logs start again with them, and the views show
        // them on the tick that read them, never standing empty in between.
        QSignalSpy changed(text6, &tessa::ReceiveView::textChanged);
        QVERIFY(far.write(QByteArray(400, 'b')));
        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 5000);
        QCOMPARE(text6->toPlainText(), QString(400, u'b'));
        QCOMPARE(text4->toPlainText(), QStringLiteral("62 ").repeated(400));
        const int lastRow = text6->rowCount() - 1;
        QCOMPARE(text6->rowText(lastRow), QString(400 - lastRow * text6->columns(), u'b'));
        QVERIFY(lastRow < text6->firstVisibleRow() + text6->visibleRows());
    }

    void hiddenViewCatchesUpWhenShown()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        auto* text4 = child<tessa::ReceiveView>("Text4");
        auto* text6 = child<tessa::ReceiveView>("Text6");
        QByteArray lines;
        for (int k = 0; k < 200; ++k)
            lines += "line " + QByteArray::number(k) + "\r\n";
        QVERIFY(far.write(lines));
        QTRY_VERIFY_WITH_TIMEOUT(text6->toPlainText().endsWith(QStringLiteral("line 199  \n")), 5000);
        // The hidden hexadecimal view holds the same log but has laid out nothing.
        QVERIFY(text4->toPlainText().endsWith(QStringLiteral("0D 0A \n")));
        QCOMPARE(text4->rowCount(), 0);
        QVERIFY(text6->rowCount() > 200);
        QCOMPARE(text6->verticalScrollBar()->value(), text6->verticalScrollBar()->maximum());

        child<QPushButton>("Command16")->click();
        QVERIFY(text4->rowCount() > 200);
        QCOMPARE(text4->verticalScrollBar()->value(), text4->verticalScrollBar()->maximum());
        QVERIFY(text4->rowText(text4->rowCount() - 2).endsWith(QStringLiteral("20 31 39 39 0D 0A ")));
        // Now the character view waits while hidden, and catches up when shown again.
        const int charRows = text6->rowCount();
        QVERIFY(far.write("more\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(text6->toPlainText().endsWith(QStringLiteral("more  \n")), 5000);
        QCOMPARE(text6->rowCount(), charRows);
        child<QPushButton>("Command16")->click();
        QCOMPARE(text6->rowCount(), charRows + 1);
        QCOMPARE(text6->rowText(charRows - 1), QStringLiteral("more  "));
    }

    void largeBurstReachesTheLogsWholeAndInOrder()
    {
        form = makeForm();
        connectToPty();
        FarEnd far(pty->farPath());
        QString seen;
        form->receiveLogs().setLimitObserver([&](const QString& hex, const QString&) { seen += hex; });
        QByteArray sent(40000, '\0');
        for (qsizetype i = 0; i < sent.size(); ++i)
            sent[i] = static_cast<char>((i * 7) % 256);
        QVERIFY(far.write(sent));
        const auto received = [&] { return (seen.size() + form->receiveLogs().hexLog().size()) / 3; };
        QTRY_VERIFY_WITH_TIMEOUT(received() >= sent.size(), 20000);
        QString all = seen + form->receiveLogs().hexLog();
        QString expected;
        for (char c : sent)
            expected += QString::asprintf("%02X ", static_cast<unsigned>(static_cast<std::uint8_t>(c)));
        QCOMPARE(all, expected);
        QVERIFY(form->receiveLogs().hexLog().size() <= tessa::ReceiveLogs::kHexLogLimit);
    }

    void hmiDeviceTypeLeavesBytesUnshown()
    {
        form = makeForm();
        connectToPty();
        child<QComboBox>("Combo2")->setCurrentIndex(4);
        FarEnd far(pty->farPath());
        QVERIFY(far.write(QByteArray("TT01")));
        // Delivered on a tick like every chunk (the history has them), but not shown.
        QTRY_COMPARE_WITH_TIMEOUT(form->receiveHistory().totalBytes(), 4, 5000);
        QTest::qWait(350);  // a few poll ticks
        QVERIFY(form->receiveLogs().hexLog().isEmpty());
        child<QComboBox>("Combo2")->setCurrentIndex(2);
        QTRY_COMPARE_WITH_TIMEOUT(form->receiveLogs().hexLog(), QStringLiteral("54 54 30 31 "), 5000);
    }

    void vanishingPortReturnsToNotConnectedAndSaysSoOnce()
    {
        form = makeForm();
        connectToPty();
        ScriptedDialogs& answers = freshDialogs();
        pty->stop();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 1, 10000);
        QCOMPARE(answers.texts.first(), tessa::testing::kPortLost);
        verifyNotConnected();

        rusage before {};
        getrusage(RUSAGE_SELF, &before);
        QTest::qWait(1000);
        QCOMPARE(answers.texts.size(), 1);
#ifndef ORVANE_SANITIZED  // a sanitizer's own work would count as the window's
        rusage after {};
        getrusage(RUSAGE_SELF, &after);
        const double cpu = (after.ru_utime.tv_sec - before.ru_utime.tv_sec)
            + (after.ru_stime.tv_sec - before.ru_stime.tv_sec)
            + ((after.ru_utime.tv_usec - before.ru_utime.tv_usec) + (after.ru_stime.tv_usec - before.ru_stime.tv_usec))
                / 1e6;
        QVERIFY2(cpu < 0.5, qPrintable(QStringLiteral("%1 s of CPU in 1 s idle").arg(cpu)));
#endif
    }

    void outputSendsTheChecksumFrame()
    {
        form = makeForm();
        auto* command3 = child<QPushButton>("Command3");
        ScriptedDialogs& answers = freshDialogs();
        command3->click();  // not connected
        QCOMPARE(answers.texts, QStringList {kNotConnected});

        connectToPty();
        FarEnd far(pty->farPath());
        child<tessa::ReceiveView>("Text4")->setPlainText(QStringLiteral("old"));
        command3->click();
        QCOMPARE(far.read(2), bytesOf({0x11, 0x22}));
        QVERIFY(child<tessa::ReceiveView>("Text4")->toPlainText().isEmpty());
        child<QCheckBox>("Check1")->setChecked(true);
        command3->click();
        QCOMPARE(far.read(3), bytesOf({0x11, 0x22, 0x33}));

        const auto boxes = form->findChildren<QLineEdit*>(QStringLiteral("Text2"));
        boxes[2]->setText(QStringLiteral("1G"));
        command3->click();
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY2(answers.texts.last().contains(QStringLiteral("Text2(2)")), qPrintable(answers.texts.last()));
        boxes[2]->setText(QStringLiteral("100"));
        command3->click();
        QCOMPARE(answers.texts.size(), 3);
        QVERIFY(far.readFor(300).isEmpty());
    }

    void randomFrameIs1001BytesBelow100()
    {
        form = makeForm();
        connectToPty();
        FarEnd far(pty->farPath());
        child<QPushButton>("Command15")->click();
        const QByteArray got = far.read(1001);
        QCOMPARE(got.size(), 1001);
        for (char c : got)
            QVERIFY(static_cast<std::uint8_t>(c) < 100);
        QVERIFY(far.readFor(300).isEmpty());
    }

    void portMapMenuMapsANumberToATypedDevice()
    {
        form = makeForm();
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->ready());
        bool answered = false;
        dialogs_->dialogAnswers << [&](QDialog& dialog) {
            answered = dialog.objectName() == QStringLiteral("PortMapDialog");
            dialog.findChild<QSpinBox*>(QStringLiteral("PortNumber"))->setValue(5);
            dialog.findChild<QComboBox*>(QStringLiteral("DevicePath"))->setEditText(pty->nearPath());
            dialog.accept();
        };
        child<QAction>("mnu_port_map")->trigger();
        QVERIFY(answered);
        QCOMPARE(tessa::SettingsStore().portPath(5), pty->nearPath());

        child<QLineEdit>("Text1")->setText(QStringLiteral("5"));
        QTest::mouseClick(Command1(), Qt::LeftButton);
        QVERIFY(form->comm1().isOpen());
        QCOMPARE(form->comm1().devicePath(), pty->nearPath());
    }

    void closingTheWindowClosesThePort()
    {
        showForm();
        connectToPty();
        QVERIFY(form->close());
        QVERIFY(!form->comm1().isOpen());
        QCOMPARE(stored("Width_type"), QStringLiteral("<absent>"));
    }

    void withoutAScriptTheWindowShowsRealDialogs()
    {
        Form1 real;
        real.show();
        QVERIFY(QTest::qWaitForWindowExposed(&real));
        QStringList seen;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->property("seenByTest").toBool())
                return;
            modal->setProperty("seenByTest", true);
            seen << (modal->parentWidget() == &real ? QStringLiteral("over the window") : QStringLiteral("elsewhere"));
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                seen << box->windowTitle() << box->text() << QString::number(box->icon());
                box->button(QMessageBox::Ok)->click();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                seen << dialog->objectName() << dialog->nameFilters().join(u';');
                dialog->reject();
            }
        });
        answer.start(10);
        real.findChild<QPushButton*>(QStringLiteral("Command56"))->click();  // not connected
        real.findChild<QAction*>(QStringLiteral("mnu_open"))->trigger();
        QCOMPARE(seen,
                 (QStringList {QStringLiteral("over the window"), QStringLiteral("提示"), kNotConnected,
                               QString::number(QMessageBox::Information), QStringLiteral("over the window"),
                               QStringLiteral("CommonDialog1Window"), QStringLiteral("Txt file (*.txt)")}));
    }

    // Last: ending the program also ends any event loop that runs after it in this process.
    void exitEndsTheProgram()
    {
        form = makeForm();
        QEventLoop loop;
        QTimer::singleShot(0, child<QPushButton>("Command13"), &QPushButton::click);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        bool timedOut = false;
        connect(&watchdog, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        watchdog.start(10000);
        loop.exec();
        QVERIFY(!timedOut);
    }
};

TESSA_WINDOW_TEST_MAIN(Form1Test)

#include "form1_test.moc"
