// Control lines, find, arrival times, byte counters and send-file, reached through the window
// (Port menu, Ctrl+F, status bar) against real ptys and files.
#include "receive/receive_view.h"
#include "support/form_test.h"
#include "support/idle_fifo.h"
#include "support/window_test_main.h"
#include "window/port_menu/control_lines_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSpinBox>

using tessa::ReceiveView;
using tessa::testing::FarEnd;

class PortToolsWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

    ReceiveView* view(const char* name) { return child<ReceiveView>(name); }

    // Ctrl+F in the view, then the text typed into the find panel.
    void findIn(ReceiveView* where, const QString& text)
    {
        // As a click in the view would: the window active, the view focused.
        QApplication::setActiveWindow(form.get());
        where->setFocus();
        QTest::keyClick(where, Qt::Key_F, Qt::ControlModifier);
        auto* box = child<QLineEdit>("FindText");
        QTRY_VERIFY(box->isVisible());
        box->clear();
        QTest::keyClicks(box, text);
    }
    QString findStatus() { return child<QLabel>("FindStatus")->text(); }

private slots:
    void init()
    {
        forgetSettingsAndPorts();
        showForm();
        connectToPty();
    }
    void cleanup() { closeFormAndPty(); }

    void controlLinesOnAPtySayOnceThatTheLinesAreMissing()
    {
        child<QAction>("mnu_control_lines")->trigger();
        auto* panel = child<tessa::ControlLinesPanel>("ControlLinesPanel");
        QVERIFY(panel->isVisible());
        QCOMPARE(child<QLabel>("ControlLinesNote")->text(), tessa::ControlLinesPanel::unavailableText());
        // No lamps that could only show "off", no toggles that do nothing.
        QVERIFY(!child<QLabel>("ControlLinesCts")->isVisible());
        QVERIFY(!child<QCheckBox>("ControlLinesRts")->isEnabled());
        // The port is as usable as before.
        FarEnd device(pty->farPath());
        QVERIFY(device.write("still here"));
        QTRY_COMPARE_WITH_TIMEOUT(view("Text6")->toPlainText(), QStringLiteral("still here"), 5000);
        QVERIFY(form->comm1().isOpen());

        button("Command2")->click();
        QVERIFY(child<QLabel>("ControlLinesNote")->text().startsWith(QStringLiteral("Not connected")));
        QVERIFY(child<QCheckBox>("ControlLinesRts")->isEnabled());
    }

    void findGoesRoundKeepsItsPlaceAndStartsAnewWithTheLog()
    {
        FarEnd device(pty->farPath());
        QVERIFY(device.write("ok 1 OK 2 ok\r\n"));
        auto* text6 = view("Text6");
        QTRY_VERIFY_WITH_TIMEOUT(text6->toPlainText().endsWith(QStringLiteral("ok  \n")), 5000);
        findIn(text6, QStringLiteral("ok"));
        QCOMPARE(findStatus(), QStringLiteral("3 matches"));
        QCOMPARE(text6->foundSpans().size(), std::size_t {3});
        auto* next = child<QPushButton>("FindNext");
        auto* previous = child<QPushButton>("FindPrevious");
        const QStringList expected {QStringLiteral("1 of 3"), QStringLiteral("2 of 3"), QStringLiteral("3 of 3"),
                                    QStringLiteral("1 of 3")};
        for (const QString& status : expected) {
            next->click();
            QCOMPARE(findStatus(), status);
        }
        previous->click();
        QCOMPARE(findStatus(), QStringLiteral("3 of 3"));
        QCOMPARE(text6->selectedText(), QStringLiteral("ok"));
        child<QCheckBox>("FindMatchCase")->setChecked(true);
        QCOMPARE(findStatus(), QStringLiteral("2 of 2"));

        // More bytes: the current match stays current and selected.
        QVERIFY(device.write("more ok"));
        QTRY_COMPARE_WITH_TIMEOUT(findStatus(), QStringLiteral("2 of 3"), 5000);
        QCOMPARE(text6->selectedText(), QStringLiteral("ok"));
        next->click();
        QCOMPARE(findStatus(), QStringLiteral("3 of 3"));

        // The hex view looks for bytes, across its line breaks too.
        button("Command16")->click();
        auto* text4 = view("Text4");
        findIn(text4, QStringLiteral("0a 6d"));
        QCOMPARE(findStatus(), QStringLiteral("1 match"));
        next->click();
        QCOMPARE(text4->selectedText(), QStringLiteral("0A \n6D"));
        findIn(text4, QStringLiteral("0a 6"));
        QVERIFY(findStatus().startsWith(QStringLiteral("Type bytes as hex")));

        // A flood past the log's limit starts the log again: the count starts anew.
        findIn(text4, QStringLiteral("6F 6B"));
        next->click();
        QCOMPARE(findStatus(), QStringLiteral("1 of 3"));
        QVERIFY(device.write(QByteArray(tessa::ReceiveLogs::kHexLogLimit / 3, 'x') + "ok"));
        QTRY_VERIFY_WITH_TIMEOUT(findStatus().startsWith(QStringLiteral("The receive log started again")), 5000);
        next->click();
        QCOMPARE(findStatus(), QStringLiteral("1 of 1"));
    }

    // On a pty the break button says it does nothing there; the panel closes with its own button.
    void controlLinesPanelHintsAtBreakAndCloses()
    {
        child<QAction>("mnu_control_lines")->trigger();
        auto* panel = child<tessa::ControlLinesPanel>("ControlLinesPanel");
        QVERIFY(panel->isVisible());
        auto* note = child<QLabel>("ControlLinesBreakNote");
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().contains(QStringLiteral("does nothing on a pseudo-terminal")), qPrintable(note->text()));
        QCOMPARE(button("ControlLinesBreak")->toolTip(), note->text());
        button("ControlLinesClose")->click();
        QVERIFY(!panel->isVisible());
    }

    // Find, Find next and Find previous are in the menu bar and in both views' context menu,
    // their shortcuts shown, and they work from either.
    void findIsInTheMenuAndTheContextMenu()
    {
        const struct {
            const char* name;
            QKeySequence keys;
        } expected[] = {{"mnu_find", QKeySequence::Find},
                        {"mnu_find_next", QKeySequence(Qt::Key_F3)},
                        {"mnu_find_previous", QKeySequence(Qt::SHIFT | Qt::Key_F3)}};
        QList<QAction*> actions;
        for (const auto& e : expected) {
            auto* action = child<QAction>(e.name);
            QCOMPARE(action->shortcut(), e.keys);
            actions << action;
            bool inMenuBar = false;
            for (QObject* holder : action->associatedObjects())
                if (auto* menu = qobject_cast<QMenu*>(holder))
                    inMenuBar = inMenuBar || form->menuBar()->actions().contains(menu->menuAction());
            QVERIFY2(inMenuBar, e.name);
        }
        for (const char* name : {"Text6", "Text4"}) {
            std::unique_ptr<QMenu> menu(view(name)->createContextMenu());
            for (QAction* action : actions)
                QVERIFY2(menu->actions().contains(action), name);
        }

        FarEnd device(pty->farPath());
        QVERIFY(device.write("one mark, two mark"));
        QTRY_VERIFY_WITH_TIMEOUT(view("Text6")->toPlainText().endsWith(QStringLiteral("two mark")), 5000);
        actions[0]->trigger();
        QTRY_VERIFY(child<QLineEdit>("FindText")->isVisible());
        QTest::keyClicks(child<QLineEdit>("FindText"), QStringLiteral("mark"));
        actions[1]->trigger();
        QCOMPARE(findStatus(), QStringLiteral("1 of 2"));
        actions[1]->trigger();
        QCOMPARE(findStatus(), QStringLiteral("2 of 2"));
        actions[2]->trigger();
        QCOMPARE(findStatus(), QStringLiteral("1 of 2"));
    }

    void timestampsStartEachChunkOnlyWhenChosen()
    {
        FarEnd device(pty->farPath());
        auto* text6 = view("Text6");
        QVERIFY(device.write("plain"));
        QTRY_COMPARE_WITH_TIMEOUT(text6->toPlainText(), QStringLiteral("plain"), 5000);
        auto* item = child<QAction>("mnu_receive_timestamps");
        QVERIFY(!item->isChecked());
        item->trigger();
        // The port stamps each chunk as it reads it: no delivery on arrival is needed for it.
        QVERIFY(!form->comm1().deliversOnArrival());
        for (const char* chunk : {"first", "second"}) {
            QVERIFY(device.write(chunk));
            QTRY_VERIFY_WITH_TIMEOUT(text6->toPlainText().endsWith(QString::fromLatin1(chunk)), 5000);
        }
        const QStringList lines = text6->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("plain"));
        const QRegularExpression stamped(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] (first|second)$"));
        QVERIFY2(stamped.match(lines[1]).hasMatch(), qPrintable(lines[1]));
        QVERIFY2(stamped.match(lines[2]).hasMatch(), qPrintable(lines[2]));
        QVERIFY(lines[1] <= lines[2]);
        QCOMPARE(view("Text4")->toPlainText(), QStringLiteral("70 6C 61 69 6E 66 69 72 73 74 73 65 63 6F 6E 64 "));
        QCOMPARE(tessa::testing::stored("RECEIVE TIMESTAMPS"), QStringLiteral("1"));
    }

    void countersCountBothWaysAndStartAgainOnClickAndConnect()
    {
        child<QAction>("mnu_byte_counters")->trigger();
        auto* counters = child<QPushButton>("ByteCounters");
        QVERIFY(counters->isVisible());
        FarEnd device(pty->farPath());
        sendLine(QStringLiteral("hello"));
        QVERIFY(device.read(5).startsWith("hello"));
        QVERIFY(device.write(QByteArray(1500, 'r')));
        QTRY_VERIFY_WITH_TIMEOUT(counters->text().startsWith(QStringLiteral("TX 7 B  RX 1.5 kB  RX ")), 5000);
        QVERIFY2(!counters->text().endsWith(QStringLiteral("RX 0 B/s")), qPrintable(counters->text()));
        // The button keeps a fixed size (the status bar is not laid out for every sample) and
        // grows when a longer text needs it: all of it shows.
        QCOMPARE(counters->minimumWidth(), counters->maximumWidth());
        QVERIFY2(counters->width() >= counters->sizeHint().width(), qPrintable(counters->text()));
        counters->click();
        QCOMPARE(counters->text(), QStringLiteral("TX 0 B  RX 0 B  RX 0 B/s"));
        QVERIFY(device.write("abc"));
        QTRY_VERIFY_WITH_TIMEOUT(counters->text().startsWith(QStringLiteral("TX 0 B  RX 3 B")), 5000);
        button("Command2")->click();
        button("Command1")->click();
        QVERIFY(form->comm1().isOpen());
        QTRY_VERIFY_WITH_TIMEOUT(counters->text().startsWith(QStringLiteral("TX 0 B  RX 0 B")), 5000);
    }

    void sendingAFifoIsRefusedWithoutWaitingForAWriter()
    {
        QTemporaryDir dir;
        tessa::testing::IdleFifo fifo(dir.filePath(QStringLiteral("x.txt")));
        QVERIFY(fifo.made());
        child<QAction>("mnu_send_file")->trigger();
        child<QLineEdit>("SendFilePath")->setText(dir.filePath(QStringLiteral("x.txt")));
        FarEnd device(pty->farPath());
        QVERIFY(fifo.returnsWithoutAWriter([&] { button("SendFileSend")->click(); }));
        QVERIFY2(child<QLabel>("SendFileStatus")->text().endsWith(QStringLiteral(": Not a regular file (a FIFO)")),
                 qPrintable(child<QLabel>("SendFileStatus")->text()));
        QVERIFY(button("SendFileSend")->isEnabled());
        QVERIFY(device.readFor(300).isEmpty());
    }

    void sendFileSendsItAsItIsAndCancels()
    {
        QTemporaryDir dir;
        QByteArray content(3000, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
        const QString path = tessa::testing::writeFile(dir.filePath(QStringLiteral("image.bin")), content);
        child<QAction>("mnu_byte_counters")->trigger();
        child<QAction>("mnu_send_file")->trigger();
        child<QLineEdit>("SendFilePath")->setText(path);
        child<QSpinBox>("SendFileChunk")->setValue(512);
        child<QSpinBox>("SendFileDelay")->setValue(5);
        FarEnd device(pty->farPath());
        button("SendFileSend")->click();
        // The window runs on while it sends.
        QVERIFY(!button("SendFileSend")->isEnabled());
        QCOMPARE(device.read(content.size()), content);
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("SendFileStatus")->text(), QStringLiteral("Sent 3000 bytes"), 5000);
        QCOMPARE(child<QProgressBar>("SendFileProgress")->value(), 1000);
        // The bytes went through the port's own send, which the counters and the traffic log see.
        QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>("ByteCounters")->text().startsWith(QStringLiteral("TX 3.0 kB")),
                                 5000);

        child<QSpinBox>("SendFileChunk")->setValue(16);
        child<QSpinBox>("SendFileDelay")->setValue(50);
        button("SendFileSend")->click();
        QTRY_VERIFY_WITH_TIMEOUT(child<QProgressBar>("SendFileProgress")->value() > 0, 5000);
        button("SendFileCancel")->click();
        QVERIFY(child<QLabel>("SendFileStatus")->text().startsWith(QStringLiteral("Cancelled after ")));
        const QByteArray part = device.readFor(300);
        QVERIFY(!part.isEmpty());
        QVERIFY(part.size() < content.size());
        QVERIFY(content.startsWith(part));
        QCOMPARE(tessa::testing::stored("SEND FILE CHUNK BYTES"), QStringLiteral("16"));
    }

    // A port pulled during the send: the status says the port was lost, and after how many
    // bytes (those that reached the device), not that the user cancelled.
    void sendFileSaysThatThePortWasLost()
    {
        QTemporaryDir dir;
        const QString path =
            tessa::testing::writeFile(dir.filePath(QStringLiteral("image.bin")), QByteArray(3000, 'x'));
        child<QAction>("mnu_send_file")->trigger();
        child<QLineEdit>("SendFilePath")->setText(path);
        child<QSpinBox>("SendFileChunk")->setValue(16);
        child<QSpinBox>("SendFileDelay")->setValue(20);
        FarEnd device(pty->farPath());
        button("SendFileSend")->click();
        const QByteArray part = device.read(160);
        QCOMPARE(part.size(), 160);
        pty->stop();
        auto* status = child<QLabel>("SendFileStatus");
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("The port was lost after ")), 5000);
        const QRegularExpressionMatch said =
            QRegularExpression(QStringLiteral("^The port was lost after (\\d+) of 3000 bytes$")).match(status->text());
        QVERIFY2(said.hasMatch(), qPrintable(status->text()));
        const int sent = said.captured(1).toInt();
        QVERIFY2(sent >= 160 && sent < 3000 && sent % 16 == 0, qPrintable(status->text()));
        QVERIFY(button("SendFileSend")->isEnabled());
    }
};

TESSA_WINDOW_TEST_MAIN(PortToolsWindowTest)
#include "port_tools_window_test.moc"
