// The Port menu's traffic log, line settings and reconnect, the port picker's live list and the
// decoded Modbus reply, driven through the window's own controls against real ptys, files and
// a libmodbus slave.
#include "support/form_test.h"
#include "support/modbus_slave.h"
#include "support/quick_slave.h"
#include "support/scripted_slave.h"
#include "support/window_test_main.h"
#include "trafficlog/traffic_format.h"
#include "modbus/modbus_exchange.h"
#include "window/pages/modbus_reply_area.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QThread>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <random>
#include <vector>

using tessa::testing::FarEnd;
using tessa::testing::kPortLost;
using tessa::testing::ModbusSlave;
using tessa::testing::PtyPair;
using tessa::testing::ScriptedDialogs;
using tessa::testing::stored;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PortMenuWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

private:
    termios lineSettings()
    {
        termios tio {};
        if (::tcgetattr(static_cast<int>(form->comm1().handle()), &tio) != 0)
            qFatal("tcgetattr failed");
        return tio;
    }

    // Opens Port > Line settings and chooses these items (index per box; -1 leaves a box).
    void chooseLineSettings(int dataBits, int parity, int stopBits, int flow)
    {
        dialogs_->dialogAnswers << [=](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("LineSettingsDialog"));
            const auto pick = [&dialog](const char* name, int index) {
                if (index >= 0)
                    dialog.findChild<QComboBox*>(QString::fromLatin1(name))->setCurrentIndex(index);
            };
            pick("LineDataBits", dataBits);
            pick("LineParity", parity);
            pick("LineStopBits", stopBits);
            pick("LineFlowControl", flow);
            dialog.accept();
        };
        child<QAction>("mnu_line_settings")->trigger();
    }

    // The lines of the Modbus history as its dialog shows them (heading first), and whether its
    // copy button put them on the clipboard.
    QStringList modbusHistoryLines(bool* copied = nullptr)
    {
        QString shown;
        dialogs_->dialogAnswers << [&](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("ModbusHistoryDialog"));
            shown = dialog.findChild<QPlainTextEdit*>(QStringLiteral("ModbusHistoryText"))->toPlainText();
            if (copied) {
                QGuiApplication::clipboard()->clear();
                dialog.findChild<QPushButton*>(QStringLiteral("ModbusHistoryCopy"))->click();
                *copied = QGuiApplication::clipboard()->text() == shown;
            }
            dialog.reject();
        };
        button("ModbusHistoryButton")->click();
        return shown.split(u'\n');
    }

private slots:
    void init() { forgetSettingsAndPorts(); }

    void cleanup() { closeFormAndPty(); }

    void trafficLogRecordsWhatIsSentAndReceived()
    {
        showForm();
        connectToPty();
        FarEnd device(pty->farPath());
        QVERIFY(device.isOpen());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.txt"));
        ScriptedDialogs& answerer = freshDialogs();
        answerer.paths << path;

        auto* item = child<QAction>("mnu_traffic_log");
        QVERIFY(!item->isChecked());
        item->trigger();
        // Logged chunks carry the time the port stamped as it read them: no delivery on
        // arrival is needed for that.
        QVERIFY(!form->comm1().deliversOnArrival());
        QCOMPARE(answerer.shown, 1);
        QCOMPARE(answerer.filters, QStringList {QStringLiteral("Traffic log (*.txt)")});
        QVERIFY(item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("Stop &traffic log"));
        auto* status = child<QLabel>("TrafficLogStatus");
        QVERIFY(status->isVisible());
        QVERIFY2(status->text().startsWith(QStringLiteral("Traffic log: traffic.txt ")), qPrintable(status->text()));

        sendLine(QStringLiteral("hello"));
        QVERIFY(device.read(5).startsWith("hello"));
        QVERIFY(device.write("world!"));
        QTRY_VERIFY_WITH_TIMEOUT(fileBytes(path).contains("\tRX\t6\t77 6F 72 6C 64 21\tworld!\n"), 5000);
        QVERIFY(fileBytes(path).contains("\tTX\t"));
        QVERIFY(fileBytes(path).contains("68 65 6C 6C 6F"));
        // The status bar follows the file as it grows.
        QTRY_COMPARE_WITH_TIMEOUT(
            status->text(), QStringLiteral("Traffic log: traffic.txt ") + tessa::trafficSizeText(QFile(path).size()),
            3000);
        QVERIFY(QFile(path).size() > tessa::trafficHeaderLine().size());

        item->trigger();
        QVERIFY(!item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("&Traffic log..."));
        QVERIFY(!status->isVisible());
        const QByteArray logged = fileBytes(path);
        QVERIFY(logged.startsWith(tessa::trafficHeaderLine()));
        QVERIFY(logged.indexOf("68 65 6C 6C 6F") < logged.indexOf("77 6F 72 6C 64 21"));

        // Nothing more after the stop.
        sendLine(QStringLiteral("after"));
        QVERIFY(device.read(5).startsWith("after"));
        QTest::qWait(400);
        QCOMPARE(fileBytes(path), logged);
        QVERIFY(answerer.texts.isEmpty());
    }

    void trafficLogThatCannotWriteStopsWithOneMessage()
    {
        showForm();
        connectToPty();
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        ScriptedDialogs& answerer = freshDialogs();
        answerer.paths << dir.filePath(QStringLiteral("sub/traffic.txt"));
        auto* item = child<QAction>("mnu_traffic_log");
        item->trigger();
        QVERIFY(item->isChecked());

        QVERIFY(QDir(dir.filePath(QStringLiteral("sub"))).removeRecursively());
        sendLine(QStringLiteral("lost"));
        QTRY_COMPARE_WITH_TIMEOUT(answerer.texts.size(), 1, 5000);
        QVERIFY2(answerer.texts[0].startsWith(QStringLiteral("The traffic log stopped: ")),
                 qPrintable(answerer.texts[0]));
        QVERIFY2(answerer.texts[0].count(QStringLiteral("stopped")) == 1, qPrintable(answerer.texts[0]));
        QVERIFY(!item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("&Traffic log..."));
        QVERIFY(!child<QLabel>("TrafficLogStatus")->isVisible());
        sendLine(QStringLiteral("more"));
        QTest::qWait(600);
        QCOMPARE(answerer.texts.size(), 1);

        // A log whose first line cannot be written never started: it is not said to stop.
        answerer.paths << QStringLiteral("/dev/full");
        item->trigger();
        QCOMPARE(answerer.texts.size(), 2);
        QCOMPARE(answerer.texts[1],
                 QStringLiteral("The traffic log could not start: cannot write /dev/full: No space left on device"));
        QVERIFY(!item->isChecked());
    }

    void lineSettingsReachThePortAtConnectAndAtOnce()
    {
        PtyPair pty {PtyPair::Start::Later};
        QVERIFY(pty.plugIn());
        showForm();
        auto* caption = element<QRadioButton>("Option1", 0);
        QCOMPARE(caption->text(), QStringLiteral("n,8,1"));
        ScriptedDialogs& answerer = freshDialogs();

        // Chosen while disconnected: taken at the next connect, over the window's "n,8,1".
        chooseLineSettings(-1, -1, 1, 2);  // 2 stop bits, XON/XOFF
        QCOMPARE(caption->text(), QStringLiteral("n,8,2"));
        QCOMPARE(stored("LINE STOP BITS"), QStringLiteral("2"));
        QCOMPARE(stored("LINE FLOW CONTROL"), QStringLiteral("xon/xoff"));
        QCOMPARE(stored("LINE DATA BITS"), QStringLiteral("8"));
        QCOMPARE(stored("LINE PARITY"), QStringLiteral("n"));
        connectTo(pty.nearPath());
        termios tio = lineSettings();
        QVERIFY(tio.c_cflag & CSTOPB);
        QVERIFY(tio.c_iflag & IXON);
        QVERIFY(tio.c_iflag & IXOFF);
        QVERIFY(!(tio.c_cflag & CRTSCTS));
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QTest::qWait(100);
        QVERIFY(answerer.texts.isEmpty());

        // Chosen while connected: on the line at once.
        chooseLineSettings(-1, -1, 0, 1);  // 1 stop bit, RTS/CTS
        tio = lineSettings();
        QVERIFY(!(tio.c_cflag & CSTOPB));
        QVERIFY(tio.c_cflag & CRTSCTS);
        QVERIFY(!(tio.c_iflag & IXON));
        QCOMPARE(caption->text(), QStringLiteral("n,8,1"));
        QVERIFY(answerer.texts.isEmpty());

        // A pty has no parity: said at once, while the caption and the store keep what the line
        // runs with; a connect again to the same device does not repeat it.
        chooseLineSettings(-1, 1, -1, -1);  // even parity
        QTRY_COMPARE(answerer.texts.size(), 1);
        QCOMPARE(caption->text(), QStringLiteral("n,8,1"));
        QCOMPARE(stored("LINE PARITY"), QStringLiteral("n"));
        QVERIFY2(answerer.texts[0].contains(QStringLiteral("did not take parity e")), qPrintable(answerer.texts[0]));
        QVERIFY(form->comm1().isOpen());
        child<QPushButton>("Command2")->click();
        child<QPushButton>("Command1")->click();
        QVERIFY(form->comm1().isOpen());
        QTest::qWait(200);
        QCOMPARE(answerer.texts.size(), 1);
        QVERIFY(lineSettings().c_cflag & CRTSCTS);

        // 7 data bits chosen while disconnected: refused, and said, at the connect.
        child<QPushButton>("Command2")->click();
        chooseLineSettings(0, 0, -1, -1);
        QCOMPARE(caption->text(), QStringLiteral("n,7,1"));
        QCOMPARE(stored("LINE DATA BITS"), QStringLiteral("7"));
        QTest::qWait(100);
        QCOMPARE(answerer.texts.size(), 1);
        child<QPushButton>("Command1")->click();
        QVERIFY(form->comm1().isOpen());
        QTRY_COMPARE(answerer.texts.size(), 2);
        QVERIFY2(answerer.texts[1].contains(QStringLiteral("did not take 7 data bits")), qPrintable(answerer.texts[1]));
        QVERIFY(!answerer.texts[1].contains(QStringLiteral("parity")));
        QCOMPARE(caption->text(), QStringLiteral("n,8,1"));
        QCOMPARE(stored("LINE DATA BITS"), QStringLiteral("8"));
    }

    void reconnectsWhenThePortReturnsOnlyWhenAskedTo()
    {
        showForm();
        auto* item = child<QAction>("mnu_port_reconnect");
        QVERIFY(item->isCheckable());
        QVERIFY(!item->isChecked());
        connectToPty();
        auto* connect = child<QPushButton>("Command1");
        auto* disconnect = child<QPushButton>("Command2");
        ScriptedDialogs& answerer = freshDialogs();

        // Off: the loss is reported once and the port stays closed when the device returns.
        pty->stop();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.texts, QStringList {kPortLost}, 5000);
        QVERIFY(!connect->isHidden());
        QVERIFY(pty->plugIn());
        QTest::qWait(1500);
        QVERIFY(!form->comm1().isOpen());
        QVERIFY(disconnect->isHidden());

        item->trigger();
        QVERIFY(item->isChecked());
        QCOMPARE(stored("RECONNECT WHEN PORT RETURNS"), QStringLiteral("1"));
        connect->click();
        QVERIFY(form->comm1().isOpen());

        // On: no modal box, nothing waits for an operator: the status bar and the traffic log
        // tell of the loss, and the port is connected again by itself when it returns 300 ms later.
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("traffic.txt"));
        answerer.paths << logPath;
        child<QAction>("mnu_traffic_log")->trigger();
        pty->stop();
        QTRY_VERIFY_WITH_TIMEOUT(!connect->isHidden(), 5000);
        QVERIFY(!form->comm1().isOpen());
        QTest::qWait(300);
        QVERIFY(pty->plugIn());
        QTRY_VERIFY_WITH_TIMEOUT(form->comm1().isOpen(), 10000);
        QVERIFY(connect->isHidden());
        QVERIFY(!disconnect->isHidden());
        QVERIFY2(form->statusBar()->currentMessage() == QStringLiteral("Reconnected to ") + pty->nearPath(),
                 qPrintable(form->statusBar()->currentMessage()));
        QCOMPARE(answerer.texts, QStringList {kPortLost});
        const QByteArray lost = "\tNOTE\t0\t\t" + pty->nearPath().toUtf8() + " was lost";
        const QByteArray back = "\tNOTE\t0\t\tReconnected to " + pty->nearPath().toUtf8() + "\n";
        QTRY_VERIFY_WITH_TIMEOUT(fileBytes(logPath).contains(back), 5000);
        QVERIFY(fileBytes(logPath).indexOf(lost) >= 0
                && fileBytes(logPath).indexOf(lost) < fileBytes(logPath).indexOf(back));
        FarEnd device(pty->farPath());
        QVERIFY(device.isOpen());
        sendLine(QStringLiteral("back"));
        QVERIFY(device.read(4).startsWith("back"));

        // The choice is kept for the next start.
        form.reset();
        showForm();
        QVERIFY(child<QAction>("mnu_port_reconnect")->isChecked());
    }

    // A stale link (its program killed) whose pty number another program now has is not the
    // device coming back; the link made again by the device's program is.
    void reconnectsOnlyToTheSameDevice()
    {
        showForm();
        child<QAction>("mnu_port_reconnect")->trigger();
        connectToPty();
        const QByteArray number = QFile::encodeName(QFileInfo(pty->nearPath()).canonicalFilePath());
        pty->kill();
        QTRY_VERIFY_WITH_TIMEOUT(!form->comm1().isOpen(), 5000);
        // Another program opens ptys until it holds the number the stale link names.
        std::vector<int> others;
        int theirs = -1;
        for (int i = 0; i < 300 && theirs < 0; ++i) {
            const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (fd < 0)
                break;
            ::grantpt(fd);
            ::unlockpt(fd);
            if (number == ::ptsname(fd))
                theirs = fd;
            else
                others.push_back(fd);
        }
        for (int fd : others)
            ::close(fd);
        if (theirs < 0)
            QSKIP("another program took the pty number first");
        const auto closeTheirs = qScopeGuard([theirs] { ::close(theirs); });
        QVERIFY(QFileInfo::exists(pty->nearPath()));
        // Retries find the link again and refuse what is behind it (a loaded machine may take a while).
        QTRY_VERIFY2_WITH_TIMEOUT(
            form->statusBar()->currentMessage().startsWith(QStringLiteral("Another device is at")),
            qPrintable(form->statusBar()->currentMessage()), 10000);
        QTest::qWait(1000);
        QVERIFY(!form->comm1().isOpen());

        // The device's program makes its links again: that is the device back.
        QFile::remove(pty->nearPath());
        QFile::remove(pty->farPath());
        QVERIFY(pty->plugIn());
        QTRY_VERIFY_WITH_TIMEOUT(form->comm1().isOpen(), 10000);
        FarEnd device(pty->farPath());
        sendLine(QStringLiteral("ours"));
        QVERIFY(device.read(4).startsWith("ours"));
    }

    void portPickerListsPortsAsTheyComeAndGo()
    {
        PtyPair pty {PtyPair::Start::Later};
        tessa::SettingsStore().setPortPath(7, pty.nearPath());
        showForm();
        bool listedAtFirst = true;
        bool appeared = false;
        bool vanished = false;
        QString typed;
        dialogs_->dialogAnswers << [&](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("PortMapDialog"));
            auto* device = dialog.findChild<QComboBox*>(QStringLiteral("DevicePath"));
            const auto listed = [&] { return device->findData(pty.nearPath()) >= 0; };
            listedAtFirst = listed();
            device->setEditText(QStringLiteral("/dev/typed-by-hand"));
            if (pty.plugIn())
                appeared = QTest::qWaitFor(listed, 5000);
            pty.stop();
            vanished = QTest::qWaitFor([&] { return !listed(); }, 5000);
            typed = device->currentText();
            dialog.reject();
        };
        child<QAction>("mnu_port_map")->trigger();
        QVERIFY(!listedAtFirst);
        QVERIFY(appeared);
        QVERIFY(vanished);
        QCOMPARE(typed, QStringLiteral("/dev/typed-by-hand"));
    }

    void modbusReplyIsDecodedOnTheModbusPageAndWrapsInBothSizeModes()
    {
        PtyPair pty {PtyPair::Start::Later};
        QVERIFY(pty.plugIn());
        ModbusSlave slave(pty.farPath());
        QVERIFY(slave.ready());
        showForm();
        auto* tabs = child<QTabWidget>("SSTab1");
        QWidget* page = tabs->widget(3);
        tabs->setCurrentIndex(3);
        auto* area = child<tessa::ModbusReplyArea>("ModbusReplyArea");
        QVERIFY(area->isVisible());
        QCOMPARE(area->parentWidget(), page);
        // In free room: inside the page, over none of its own controls.
        QVERIFY(page->rect().contains(area->geometry()));
        for (QWidget* control : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (control != area)
                QVERIFY2(!control->geometry().intersects(area->geometry()), qPrintable(control->objectName()));
        auto* text = child<QPlainTextEdit>("ModbusReplyText");
        auto* window = child<QSpinBox>("ModbusReplyWindow");
        QCOMPARE(window->value(), 1000);
        connectTo(pty.nearPath());

        child<QPushButton>("Command35")->click();  // holding register 0x200, one
        QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QStringLiteral("512 (0x0200) = 4660 (0x1234)")), 5000);
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Slave 1, function 03")));
        child<QPushButton>("Command37")->click();  // 0x201, two
        QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QStringLiteral("514 (0x0202) = 66 (0x0042)")), 5000);
        QVERIFY(text->toPlainText().contains(QStringLiteral("513 (0x0201) = 43981 (0xABCD)")));
        QCOMPARE(slave.answered.load(), 2);

        // Decoded text is never cut sideways, in either size mode: it wraps in the box.
        for (const char* mode : {"mnu_screen_narrow", "mu_screen_w"}) {
            child<QAction>(mode)->trigger();
            // A read of two registers (four lines) and a write of two (its long echo line).
            for (const char* send : {"Command37", "Command31"}) {
                text->clear();
                child<QPushButton>(send)->click();
                QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QStringLiteral("Round trip")), 5000);
                QVERIFY(text->isVisible());
                for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
                    QVERIFY2(block.layout()->boundingRect().width() <= text->viewport()->width(),
                             qPrintable(block.text()));
                // Every line can be brought into sight.
                text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
                const QTextBlock last = text->document()->lastBlock();
                QVERIFY2(last.text().startsWith(QStringLiteral("Round trip")), qPrintable(last.text()));
                const QTextBlock atFoot = text->cursorForPosition(QPoint(4, text->viewport()->height() - 4)).block();
                QVERIFY2(atFoot == last, qPrintable(atFoot.text()));
            }
        }

        // A slave that does not answer: "no reply" once the window (stored) has passed.
        window->setValue(300);
        QCOMPARE(stored("MODBUS REPLY WINDOW MS"), QStringLiteral("300"));
        element<QLineEdit>("Text26", 26)->setText(QStringLiteral("05"));
        child<QPushButton>("Command35")->click();
        QTRY_COMPARE_WITH_TIMEOUT(text->toPlainText(), QStringLiteral("No reply in 300 ms"), 5000);
    }

    // A larger window gives the Modbus reply area the room: taller beside the receive views
    // (wide), wider above them (narrow); at the designed size everything is where it was.
    void modbusReplyAreaGrowsWithTheWindowAndLeavesTheDesignAlone()
    {
        showForm();
        auto* tabs = child<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(3);
        QWidget* page = tabs->widget(3);
        auto* area = child<tessa::ModbusReplyArea>("ModbusReplyArea");
        auto* text4 = child<QWidget>("Text4");
        const QStringList captions {child<QLabel>("ModbusReplyCaption")->text(),
                                    child<QPushButton>("ModbusHistoryButton")->text()};
        for (const char* mode : {"mu_screen_w", "mnu_screen_narrow"}) {
            child<QAction>(mode)->trigger();
            const bool wide = QByteArray(mode) == "mu_screen_w";
            const QSize designed = form->size();
            const QRect designedArea = area->geometry();
            const QRect designedTabs = tabs->geometry();
            const QRect views = text4->geometry();

            form->resize(designed + QSize(150, 200));
            const QSize growth = wide ? QSize(0, 200) : QSize(150, 0);
            QTRY_COMPARE(area->size(), designedArea.size() + growth);
            QCOMPARE(area->pos(), designedArea.topLeft());
            QCOMPARE(tabs->size(), designedTabs.size() + growth);
            QCOMPARE(text4->geometry(), views);
            QVERIFY2(!tabs->geometry().intersects(views), mode);
            QVERIFY(page->rect().contains(area->geometry()));
            for (QWidget* control : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                if (control != area)
                    QVERIFY2(!control->geometry().intersects(area->geometry()), qPrintable(control->objectName()));
            QCOMPARE(QStringList({child<QLabel>("ModbusReplyCaption")->text(),
                                  child<QPushButton>("ModbusHistoryButton")->text()}),
                     captions);

            // Smaller than designed: nothing shrinks below the design; back at it: as designed.
            form->resize(designed - QSize(40, 40));
            QTRY_COMPARE(area->geometry(), designedArea);
            form->resize(designed);
            QTRY_COMPARE(area->geometry(), designedArea);
            QCOMPARE(tabs->geometry(), designedTabs);
        }
    }

    // Replies are taken as they arrive, not on the 100 ms receive poll (stopped here), and a
    // reply that came before a request is no reply to it.
    void modbusRepliesAreTakenAsTheyArriveAndBelongOnlyToTheirRequest()
    {
        PtyPair pty {PtyPair::Start::Later};
        QVERIFY(pty.plugIn());
        tessa::testing::QuickSlave slave(pty.farPath());
        QVERIFY(slave.ready());
        showForm();
        child<QTabWidget>("SSTab1")->setCurrentIndex(3);
        child<QTimer>("Timer1")->stop();
        auto* text = child<QPlainTextEdit>("ModbusReplyText");
        child<QSpinBox>("ModbusReplyWindow")->setValue(200);
        connectTo(pty.nearPath());

        child<QPushButton>("Command37")->click();  // 0x201, two
        QTRY_VERIFY_WITH_TIMEOUT(!text->toPlainText().isEmpty(), 5000);
        QVERIFY2(text->toPlainText().startsWith(QStringLiteral("Slave 1, function 03: 2 registers\n"
                                                               "513 (0x0201) = 4609 (0x1201)\n"
                                                               "514 (0x0202) = 4610 (0x1202)\nRound trip ")),
                 qPrintable(text->toPlainText()));

        // A's reply comes after its window, just before B is sent (no event loop in between).
        slave.setSilent(true);
        child<QPushButton>("Command35")->click();  // A: 0x200, one
        QTRY_COMPARE_WITH_TIMEOUT(text->toPlainText(), QStringLiteral("No reply in 200 ms"), 5000);
        slave.setSilent(false);
        slave.send(tessa::testing::QuickSlave::readReply(0x200, 1, [](int) { return std::uint16_t {0xAAAA}; }));
        QThread::msleep(5);
        text->clear();
        child<QPushButton>("Command37")->click();  // B
        QTRY_VERIFY_WITH_TIMEOUT(!text->toPlainText().isEmpty(), 5000);
        QVERIFY2(text->toPlainText().startsWith(QStringLiteral("Slave 1, function 03: 2 registers\n"
                                                               "513 (0x0201) = 4609 (0x1201)\n")),
                 qPrintable(text->toPlainText()));
        QCOMPARE(slave.requests.load(), 3);
    }

    // Twenty double clicks against a slave that answers in 0 to 30 ms, some replies cut short
    // or of the wrong length: one request on the line at a time, and each of the 40 gets one
    // verdict, the right one, in the history.
    void rapidModbusClicksGetOneRightVerdictEach()
    {
        PtyPair pty {PtyPair::Start::Later};
        QVERIFY(pty.plugIn());
        enum class Kind { Good, CutShort, WrongLength };
        const auto kindOf = [](int n) {
            return n % 5 == 2 ? Kind::CutShort : n % 5 == 4 ? Kind::WrongLength : Kind::Good;
        };
        QList<QByteArray> answers;  // by request number, written on the slave's thread only
        std::mt19937 random(38);
        tessa::testing::ScriptedSlave slave(pty.farPath(), [&](int n, const QByteArray& request) {
            const int address = (static_cast<quint8>(request[2]) << 8) | static_cast<quint8>(request[3]);
            const int count = (static_cast<quint8>(request[4]) << 8) | static_cast<quint8>(request[5]);
            QByteArray reply = tessa::testing::QuickSlave::readReply(address, count);
            if (kindOf(n) == Kind::CutShort)
                reply.chop(1);
            else if (kindOf(n) == Kind::WrongLength)
                reply = tessa::testing::QuickSlave::readReply(address, count + 1);
            answers << reply;
            return tessa::testing::ScriptedSlave::Answer {static_cast<int>(random() % 31), reply};
        });
        QVERIFY(slave.ready());
        showForm();
        child<QTabWidget>("SSTab1")->setCurrentIndex(3);
        child<QSpinBox>("ModbusReplyWindow")->setValue(150);
        connectTo(pty.nearPath());

        auto* queueState = child<QLabel>("ModbusQueueState");
        for (int i = 0; i < 20; ++i) {
            button("Command35")->click();
            button("Command35")->click();
            QCOMPARE(queueState->text(), QStringLiteral("1 waiting their turn"));
            // The next double click once this one is done with, a moment later or at once.
            QTRY_COMPARE_WITH_TIMEOUT(modbusHistoryLines().size(), 1 + 2 * (i + 1), 5000);
            QCOMPARE(queueState->text(), QString());
            QTest::qWait(i % 4 * 10);
        }
        QTRY_COMPARE_WITH_TIMEOUT(slave.heard.load(), 40, 30000);
        QStringList lines;
        QTRY_COMPARE_WITH_TIMEOUT((lines = modbusHistoryLines()).size(), 41, 10000);
        QTest::qWait(400);  // longer than a reply window: no verdict comes late
        bool copied = false;
        lines = modbusHistoryLines(&copied);
        QCOMPARE(lines.size(), 41);
        QVERIFY(copied);
        QCOMPARE(lines.takeFirst(), QStringLiteral("Time\tRequest\tReply\tVerdict\tRound trip"));
        QCOMPARE(slave.overlapping.load(), 0);
        const QList<QByteArray> requests = slave.requests();
        for (int n = 0; n < 40; ++n) {
            const QStringList fields = lines[n].split(u'\t');
            QCOMPARE(fields.size(), 5);
            QCOMPARE(fields[1], QString::fromLatin1(requests[n].toHex(' ').toUpper()));
            QCOMPARE(fields[2], QString::fromLatin1(answers[n].toHex(' ').toUpper()));
            const QString& verdict = fields[3];
            switch (kindOf(n)) {
            case Kind::Good:
                QVERIFY2(verdict.startsWith(QStringLiteral("Slave 1, function 03: 1 registers; ")),
                         qPrintable(lines[n]));
                QVERIFY(fields[4].endsWith(QStringLiteral(" ms")));
                break;
            case Kind::CutShort:
                QVERIFY2(verdict.startsWith(QStringLiteral("Incomplete reply: 6 of 7 bytes")), qPrintable(lines[n]));
                break;
            case Kind::WrongLength:
                QVERIFY2(verdict.contains(QStringLiteral("does not match the request")), qPrintable(lines[n]));
                break;
            }
        }

        // Clicks far faster than any reply: those beyond the queue's room are refused, said so,
        // and never sent; each one sent gets its verdict.
        const int sentBefore = slave.heard;
        for (int i = 0; i < tessa::ModbusExchange::kMaxQueued + 4; ++i)
            button("Command35")->click();
        QCOMPARE(
            queueState->text(),
            QStringLiteral("Not sent: %1 requests already wait their turn").arg(tessa::ModbusExchange::kMaxQueued));
        const int sent = 1 + tessa::ModbusExchange::kMaxQueued;
        QTRY_COMPARE_WITH_TIMEOUT(modbusHistoryLines().size(), 41 + sent, 30000);
        QTest::qWait(400);
        QCOMPARE(slave.heard - sentBefore, sent);
        QCOMPARE(modbusHistoryLines().size(), 41 + sent);
        QCOMPARE(slave.overlapping.load(), 0);
    }
};

TESSA_WINDOW_TEST_MAIN(PortMenuWindowTest)
#include "port_menu_window_test.moc"
