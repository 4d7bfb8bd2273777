// Drives the device test panels as a user would, against real pseudo-terminal pairs: the
// frames at the far end byte for byte, the jog press-and-hold and the file download through
// the open-file dialog.
#include "receive/receive_view.h"
#include "support/form_test.h"
#include "support/idle_fifo.h"
#include "support/window_test_main.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QStatusBar>

using tessa::testing::FarEnd;
using tessa::testing::hex;
using tessa::testing::kNotConnected;
using tessa::testing::ScriptedDialogs;
using tessa::testing::stored;
using tessa::testing::withCrc;

namespace {

const QColor kGrey(0xC0, 0xC0, 0xC0);
const QColor kGreen(0x00, 0xFF, 0x00);

}  // namespace

class PanelsWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

private:
    QLineEdit* lineEdit(const char* name) { return child<QLineEdit>(name); }
    QLineEdit* text26(int index) { return element<QLineEdit>("Text26", index); }
    tessa::FilledShape* shape1(int index) { return element<tessa::FilledShape>("Shape1", index); }
    bool hexViewShown() { return !child<tessa::ReceiveView>("Text4")->isHidden(); }

    void replaceText(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }

    // The jog buttons' page in front, as when a user reaches them.
    void showJogPage()
    {
        auto* tabs = child<QTabWidget>(QStringLiteral("SSTab1"));
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(button("Command24")))
                tabs->setCurrentIndex(i);
        QVERIFY(button("Command24")->isVisible());
    }

private slots:
    void init() { forgetSettingsAndPorts(); }
    void cleanup() { closeFormAndPty(); }

    void modbusWorkedCasesAtTheFarEnd()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        QVERIFY(far.isOpen());

        button("Command35")->click();
        QCOMPARE(far.read(8), hex("01030200000185B2"));
        QCOMPARE(text26(32)->text(), QStringLiteral("85"));
        QCOMPARE(text26(33)->text(), QStringLiteral("B2"));
        QVERIFY(hexViewShown());
        QVERIFY(form->receiveLogs().hexLog().endsWith(QStringLiteral("\r\n")));
        QCOMPARE(stored("Modbus3_1"), QStringLiteral("01"));
        QCOMPARE(stored("Modbus3_2"), QStringLiteral("02"));
        QCOMPARE(stored("Modbus3_5"), QStringLiteral("01"));

        button("Command31")->click();
        QCOMPARE(far.read(13), hex("0110010400020400000640FD9C"));
        QCOMPARE(text26(11)->text(), QStringLiteral("FD"));
        QCOMPARE(stored("Modbus1_5"), QStringLiteral("04"));
        QCOMPARE(stored("Modbus1_9"), QStringLiteral("40"));
        QCOMPARE(stored("Modbus1_2"), QStringLiteral("<absent>"));

        child<QPushButton>(QStringLiteral("Command16"))->click();  // back to characters
        button("Command57")->click();
        QCOMPARE(far.read(11), withCrc(hex("011003030001020000")));
        QVERIFY(hexViewShown());

        button("Command52")->click();
        QCOMPARE(far.read(11), hex("0110003A0001020000A30A"));
        QCOMPARE(text26(44)->text(), QStringLiteral("A"));
        QCOMPARE(text26(43)->text(), QStringLiteral("A3"));
        QVERIFY(!hexViewShown());
        QCOMPARE(stored("Modbus5"), QStringLiteral("01"));

        // Panel 3 and panel 1 with its defaults (one register, the last two data boxes); an
        // emptied data box goes out as 00.
        button("Command37")->click();
        QCOMPARE(far.read(8), withCrc(hex("010302010002")));
        QVERIFY(form->receiveLogs().hexLog().endsWith(QStringLiteral("\r\n")));
        text26(23)->setText(QString());
        text26(22)->setText(QStringLiteral("7"));
        button("Command33")->click();
        QCOMPARE(far.read(11), withCrc(hex("011001060001020700")));
        QCOMPARE(stored("Modbus2_8"), QStringLiteral("7"));
        QCOMPARE(stored("Modbus2_9"), QString());
        QVERIFY(far.readFor(200).isEmpty());
    }

    void registerCountCouplingFollowsTyping()
    {
        showForm();
        // At start panel 0 carries two registers, panel 1 one: its first two data boxes are hidden.
        QVERIFY(!text26(7)->isHidden() && !text26(8)->isHidden());
        QVERIFY(text26(20)->isHidden() && text26(21)->isHidden());
        child<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
        connectToPty();
        FarEnd far(pty->farPath());
        QLineEdit* count = text26(5);
        replaceText(count, QStringLiteral("1"));  // emptied on the way: nothing happens then
        QCOMPARE(text26(6)->text(), QStringLiteral("02"));
        QVERIFY(text26(7)->isHidden() && text26(8)->isHidden());
        button("Command31")->click();
        QCOMPARE(far.read(11), withCrc(hex("011001040001020640")));

        replaceText(count, QStringLiteral("5"));
        QCOMPARE(count->text(), QStringLiteral("02"));
        QCOMPARE(text26(6)->text(), QStringLiteral("04"));
        QVERIFY(text26(7)->isVisible() && text26(8)->isVisible());
        replaceText(count, QStringLiteral("0"));
        QCOMPARE(count->text(), QStringLiteral("01"));
        QCOMPARE(text26(6)->text(), QStringLiteral("02"));

        // Panel 1 the same way; an emptied or non-numeric count changes nothing and is refused.
        replaceText(text26(18), QStringLiteral("9"));
        QCOMPARE(text26(18)->text(), QStringLiteral("02"));
        QCOMPARE(text26(19)->text(), QStringLiteral("04"));
        QVERIFY(text26(20)->isVisible());
        ScriptedDialogs& answers = freshDialogs();
        replaceText(text26(18), QStringLiteral("x"));
        QCOMPARE(text26(19)->text(), QStringLiteral("04"));
        text26(18)->clear();
        QCOMPARE(text26(19)->text(), QStringLiteral("04"));
        button("Command33")->click();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(answers.texts[0].contains(QStringLiteral("The \"Register\" box 2 of panel 2")));
        QVERIFY(far.readFor(300).isEmpty());
        QCOMPARE(stored("Modbus2_1"), QStringLiteral("<absent>"));
    }

    void badModbusBoxesAreRefusedAndNothingLeaves()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        ScriptedDialogs& answers = freshDialogs();
        // A read first leaves a CRC behind that a refused panel must not send on its own.
        button("Command35")->click();
        QCOMPARE(far.read(8).size(), 8);

        text26(8)->setText(QStringLiteral("ZZ"));
        button("Command31")->click();
        QTRY_COMPARE(answers.texts.size(), 1);
        QVERIFY(answers.texts[0].contains(QStringLiteral("The \"Data\" box 2 of panel 1")));
        QVERIFY(answers.texts[0].contains(QStringLiteral("\"ZZ\"")));
        QCOMPARE(answers.titles[0], QStringLiteral("提示"));
        QTRY_COMPARE(form->focusWidget(), static_cast<QWidget*>(text26(8)));

        // A byte count the coupling cannot correct (the register count is no number) is
        // refused; no CRC goes out on its own.
        text26(8)->setText(QStringLiteral("00"));
        text26(5)->setText(QStringLiteral("two"));
        text26(6)->setText(QStringLiteral("3"));
        QCOMPARE(text26(6)->text(), QStringLiteral("3"));
        button("Command31")->click();
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY(answers.texts[1].contains(QStringLiteral("The \"Len\" box of panel 1")));
        QVERIFY(answers.texts[1].contains(QStringLiteral("byte count")));
        text26(29)->setText(QStringLiteral("123"));
        button("Command35")->click();
        text26(42)->setText(QStringLiteral("-1"));
        button("Command52")->click();
        QCOMPARE(answers.texts.size(), 4);
        QVERIFY(answers.texts[3].contains(QStringLiteral("The \"ID\" box of panel 5")));
        QVERIFY(far.readFor(300).isEmpty());
        QCOMPARE(stored("Modbus1_1"), QStringLiteral("<absent>"));
        QCOMPARE(stored("Modbus5"), QStringLiteral("<absent>"));
    }

    void modbusButtonsAreGuardedWhileNotConnected()
    {
        showForm();
        ScriptedDialogs& answers = freshDialogs();
        for (const char* name : {"Command31", "Command33", "Command35", "Command37", "Command52", "Command57"}) {
            button(name)->click();
            QTRY_COMPARE(form->focusWidget(), static_cast<QWidget*>(button("Command1")));
            button("Command16")->setFocus();
        }
        QCOMPARE(answers.texts, QStringList(6, kNotConnected));
        QCOMPARE(answers.titles, QStringList(6, QStringLiteral("提示")));
        QCOMPARE(answers.icons.count(QMessageBox::Information), 6);
        QCOMPARE(text26(33)->text(), QStringLiteral("00"));
        for (const auto* key : {"Modbus1_1", "Modbus2_1", "Modbus3_1", "Modbus4_1", "Modbus5"})
            QCOMPARE(stored(key), QStringLiteral("<absent>"));
    }

    void storedPanelValuesComeBackWithRel1()
    {
        {
            tessa::SettingsStore store;
            store.write(QStringLiteral("REL1"), QStringLiteral("ABS=5"));
            store.write(QStringLiteral("RELID1"), QStringLiteral("9"));
            store.write(QStringLiteral("Modbus1_5"), QStringLiteral("07"));
            store.write(QStringLiteral("Modbus3_2"), QStringLiteral("0C"));
            store.write(QStringLiteral("Modbus5"), QStringLiteral("11"));
            store.write(QStringLiteral("sabs"), QStringLiteral("-40"));
        }
        form = makeForm();
        // Absent keys restore as "1" (the port number too, the baud rate as 9600); the byte counts
        // Text26(6) and (19) follow the (unsaved) register counts, not the stored text.
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QStringLiteral("9600"));
        const std::pair<const char*, const char*> boxes[] = {{"Text1", "1"},  {"Text8", "ABS=5"}, {"Text9", "9"},
                                                             {"Text10", "1"}, {"Text25", "-40"},  {"Text16", "1"}};
        for (const auto& [name, text] : boxes)
            QCOMPARE(lineEdit(name)->text(), QString::fromLatin1(text));
        const std::pair<int, const char*> text26s[] = {{28, "0C"}, {42, "11"}, {0, "1"},
                                                       {6, "04"},  {19, "02"}, {1, "10"}};
        for (const auto& [index, text] : text26s)
            QCOMPARE(text26(index)->text(), QString::fromLatin1(text));
    }

    void commandRowsAndLines()
    {
        showForm();
        child<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
        connectToPty();
        FarEnd far(pty->farPath());

        button("Command16")->click();  // hexadecimal view; a row returns to characters
        lineEdit("Text12")->setText(QStringLiteral("ABS=200"));
        lineEdit("Text13")->setText(QStringLiteral("12"));
        button("Command34")->click();
        QCOMPARE(far.read(12), QByteArray("ABS=200,12\r\n"));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(shape1(k)->fillColor(), k == 2 ? kGreen : kGrey);
        QVERIFY(!hexViewShown());
        QCOMPARE(stored("REL3"), QStringLiteral("ABS=200"));
        QCOMPARE(stored("RELID3"), QStringLiteral("12"));

        button("Command27")->click();
        QCOMPARE(far.read(12), QByteArray("REL=1600,0\r\n"));
        QCOMPARE(shape1(0)->fillColor(), kGreen);
        QCOMPARE(shape1(2)->fillColor(), kGrey);
        lineEdit("Text23")->clear();
        button("Command51")->click();
        QCOMPARE(far.read(4), QByteArray(",7\r\n"));
        QCOMPARE(stored("REL8"), QString());
        QCOMPARE(shape1(7)->fillColor(), kGreen);

        button("Command16")->click();
        lineEdit("Text16")->setText(QStringLiteral("5"));
        button("Command29")->click();
        QCOMPARE(far.read(7), hex("6339393D350D0A"));
        QCOMPARE(stored("Renc"), QStringLiteral("5"));
        lineEdit("Text25")->setText(QStringLiteral("-8300000"));
        button("Command55")->click();
        QCOMPARE(far.read(14), QByteArray("c41=-8300000\r\n"));
        QCOMPARE(stored("sabs"), QStringLiteral("-8300000"));
        button("Command40")->click();
        QCOMPARE(far.read(6), QByteArray("test\r\n"));
        QVERIFY(hexViewShown());  // the lines leave the view as it is
        QVERIFY(far.readFor(200).isEmpty());

        // Closed port: message, no indicator or setting changes.
        button("Command2")->click();
        ScriptedDialogs& answers = freshDialogs();
        button("Command32")->click();
        button("Command29")->click();
        QCOMPARE(answers.texts, QStringList(2, kNotConnected));
        QCOMPARE(shape1(7)->fillColor(), kGreen);
        QCOMPARE(stored("REL2"), QStringLiteral("<absent>"));
    }

    void idBoxesAndSabsKeepTheirRange()
    {
        showForm();
        child<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
        QLineEdit* id = lineEdit("Text15");
        replaceText(id, QStringLiteral("70"));
        QCOMPARE(id->text(), QStringLiteral("63"));
        replaceText(id, QStringLiteral("-5"));
        QCOMPARE(id->text(), QStringLiteral("0"));
        replaceText(id, QStringLiteral("12"));
        QTest::keyClicks(id, QStringLiteral("x"));  // junk goes back to the last number
        QCOMPARE(id->text(), QStringLiteral("12"));
        QTest::keyClicks(id, QStringLiteral("-"));
        QCOMPARE(id->text(), QStringLiteral("12"));

        QLineEdit* sabs = lineEdit("Text25");
        replaceText(sabs, QStringLiteral("-9000000"));
        QCOMPARE(sabs->text(), QStringLiteral("-8300000"));
        replaceText(sabs, QStringLiteral("q"));
        QCOMPARE(sabs->text(), QStringLiteral("-8300000"));
    }

    void receivedTextGoesToTessaTxtInTheHomeFolder()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        far.write(QByteArray("AB\r\nCD"));
        QTRY_COMPARE_WITH_TIMEOUT(child<tessa::ReceiveView>(QStringLiteral("Text6"))->toPlainText(),
                                  QStringLiteral("AB  \nCD"), 5000);
        ScriptedDialogs& answers = freshDialogs();
        button("Command28")->click();
        QFile file(home.filePath(QStringLiteral("tessa.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("AB  \r\nCD\r\n"));
        QVERIFY(form->statusBar()->currentMessage().contains(file.fileName()));
        QVERIFY(form->statusBar()->isVisible());
        QVERIFY(button("Command28")->toolTip().contains(file.fileName()));
        QTest::qWait(50);
        QVERIFY(answers.texts.isEmpty());
        qputenv("HOME", oldHome);
    }

    void statusQueriesAndOutputs()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        const struct {
            const char* name;
            QByteArray line;
        } queries[] = {{"Command42", "rse\r\n"}, {"Command43", "rout\r\n"}, {"Command39", "c54\r\n"},
                       {"Command44", "rby\r\n"}, {"Command38", "c85\r\n"},  {"Command41", hex("7665720D0A")}};
        for (const auto& q : queries) {
            button(q.name)->click();
            QCOMPARE(far.read(q.line.size()), q.line);
        }
        QVERIFY(!hexViewShown());

        child<QCheckBox>(QStringLiteral("Check5"))->setChecked(true);
        button("Command53")->click();
        QCOMPARE(far.read(10), hex("6336393D303030310D0A"));
        child<QCheckBox>(QStringLiteral("Check5"))->setChecked(false);
        child<QCheckBox>(QStringLiteral("Check8"))->setChecked(true);
        child<QCheckBox>(QStringLiteral("Check6"))->setChecked(true);
        button("Command54")->click();
        QCOMPARE(far.read(10), QByteArray("c71=1010\r\n"));
        child<QCheckBox>(QStringLiteral("Check8"))->setChecked(false);
        child<QCheckBox>(QStringLiteral("Check6"))->setChecked(false);
        button("Command53")->click();
        QCOMPARE(far.read(10), QByteArray("c69=0000\r\n"));

        // With the port closed under a hidden Command1, "Input" (connect-button guard) is not
        // refused while "Version" (port-open guard) is.
        ScriptedDialogs& answers = freshDialogs();
        form->comm1().close();
        button("Command39")->click();
        QTest::qWait(50);
        QVERIFY(answers.texts.isEmpty());
        button("Command41")->click();
        QCOMPARE(answers.texts, QStringList {kNotConnected});
        button("Command2")->click();
        button("Command38")->click();
        QCOMPARE(answers.texts.size(), 2);
    }

    void motionCommandButtons()
    {
        showForm();
        ScriptedDialogs& answers = freshDialogs();
        button("Command26")->click();
        QCOMPARE(answers.texts, QStringList {kNotConnected});
        connectToPty();
        FarEnd far(pty->farPath());

        far.write(QByteArray("xy"));
        QTRY_VERIFY_WITH_TIMEOUT(!form->receiveLogs().hexLog().isEmpty(), 5000);
        button("Command26")->click();
        QCOMPARE(far.read(5), hex("6335330D0A"));
        button("Command23")->click();
        QCOMPARE(far.read(5), QByteArray("c52\r\n"));
        QVERIFY(!form->receiveLogs().hexLog().isEmpty());
        button("Command22")->click();
        QCOMPARE(far.read(5), hex("6335360D0A"));
        QVERIFY(form->receiveLogs().hexLog().isEmpty());
        QVERIFY(child<tessa::ReceiveView>(QStringLiteral("Text6"))->toPlainText().isEmpty());
        button("Command30")->click();
        QCOMPARE(far.read(5), QByteArray("c57\r\n"));
        button("Command21")->click();
        QCOMPARE(far.read(5), QByteArray("c77\r\n"));
        for (const auto& [name, line] : {std::pair {"Command18", "c44\r\n"}, std::pair {"Command19", "c43\r\n"}}) {
            button("Command16")->click();
            QVERIFY(hexViewShown());
            button(name)->click();
            QCOMPARE(far.read(5), QByteArray(line));
            QVERIFY(!hexViewShown());
        }
        button("Command24")->setEnabled(false);
        button("Command25")->setEnabled(false);
        button("Command20")->click();
        QCOMPARE(far.read(5), QByteArray("c45\r\n"));
        QVERIFY(button("Command24")->isEnabled() && button("Command25")->isEnabled());
        QVERIFY(far.readFor(200).isEmpty());
        QCOMPARE(answers.texts.size(), 1);
    }

    void jogClickHoldAndKeyboard()
    {
        showForm();
        connectToPty();
        showJogPage();
        FarEnd far(pty->farPath());
        QPushButton* jogPlus = button("Command24");
        QPushButton* jogMinus = button("Command25");

        // A quick click: two release frames, then the step frame; no hold frame.
        QTest::mouseClick(jogMinus, Qt::LeftButton);
        QCOMPARE(far.read(9), hex("E600EDE600EDE380ED"));
        QVERIFY(far.readFor(400).isEmpty());

        // Held: one hold frame, never before the timer's 200 ms (a coarse timer fires a few ms
        // early about every other time: several presses, the first held about a second).
        for (int press = 0; press < 6; ++press) {
            QElapsedTimer held;
            held.start();
            QTest::mousePress(jogPlus, Qt::LeftButton);
            QCOMPARE(far.read(3), hex("D800ED"));
            const qint64 at = held.elapsed();
            QVERIFY2(at >= 200, qPrintable(QStringLiteral("hold frame after %1 ms").arg(at)));
            if (press == 0)
                QVERIFY(far.readFor(800).isEmpty());
            QElapsedTimer release;
            release.start();
            QTest::mouseRelease(jogPlus, Qt::LeftButton);
            QVERIFY(release.elapsed() >= 45);  // the 50 ms between the two release frames
            QCOMPARE(far.read(9), hex("E600EDE600EDE300ED"));
        }
        QVERIFY(!hexViewShown());

        // The space key clicks without mouse: only the step frame, even after 300 ms.
        jogPlus->setFocus();
        QTest::keyPress(jogPlus, Qt::Key_Space);
        QTest::qWait(300);
        QTest::keyRelease(jogPlus, Qt::Key_Space);
        QCOMPARE(far.read(3), hex("E300ED"));
        QVERIFY(far.readFor(400).isEmpty());
    }

    void jogEndsWhereverItIsReleased()
    {
        showForm();
        connectToPty();
        showJogPage();
        FarEnd far(pty->farPath());
        QPushButton* jogPlus = button("Command24");
        QPushButton* jogMinus = button("Command25");
        const QByteArray released = hex("E600EDE600ED");

        // Released off the button before 200 ms: no click, and no hold frame after the release.
        QTest::mousePress(jogPlus, Qt::LeftButton);
        QTest::mouseRelease(jogPlus, Qt::LeftButton, {}, QPoint(-30, -30));
        QCOMPARE(far.read(6), released);
        QVERIFY(far.readFor(400).isEmpty());

        // Released off the button after the hold frame: the release frames, no step frame.
        QTest::mousePress(jogMinus, Qt::LeftButton);
        QCOMPARE(far.read(3), hex("D880ED"));
        QTest::mouseRelease(jogMinus, Qt::LeftButton, {}, QPoint(-30, -30));
        QCOMPARE(far.read(6), released);
        QVERIFY(far.readFor(300).isEmpty());

        // The button loses the focus while held: the jog ends there; the later mouse up adds nothing.
        QTest::mousePress(jogPlus, Qt::LeftButton);
        QCOMPARE(far.read(3), hex("D800ED"));
        lineEdit("Text1")->setFocus();
        QCOMPARE(far.read(6), released);
        QTest::mouseRelease(jogPlus, Qt::LeftButton);
        QVERIFY(far.readFor(300).isEmpty());

        // The window is deactivated while the button is held, before the hold frame.
        QTest::mousePress(jogMinus, Qt::LeftButton);
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(form.get(), &deactivate);
        QCOMPARE(far.read(6), released);
        QVERIFY(far.readFor(400).isEmpty());
        QTest::mouseRelease(jogMinus, Qt::LeftButton, {}, QPoint(-30, -30));

        // The port is closed while held: the release frames go out before it closes.
        QTest::mousePress(jogPlus, Qt::LeftButton);
        QCOMPARE(far.read(3), hex("D800ED"));
        button("Command2")->click();
        QVERIFY(!form->comm1().isOpen());
        QCOMPARE(far.read(6), released);
        QTest::mouseRelease(jogPlus, Qt::LeftButton, {}, QPoint(-30, -30));
        QVERIFY(far.readFor(300).isEmpty());
    }

    void jogWithTheLineClosed()
    {
        showForm();
        ScriptedDialogs& answers = freshDialogs();
        QPushButton* jogPlus = button("Command24");
        auto* timer11 = child<QTimer>(QStringLiteral("Timer11"));
        QTest::mousePress(jogPlus, Qt::LeftButton);
        QVERIFY(timer11->isActive());
        // The tick with the port closed writes nothing and ends the hold.
        QTRY_VERIFY_WITH_TIMEOUT(!timer11->isActive(), 5000);
        QTest::mouseRelease(jogPlus, Qt::LeftButton);
        QTRY_COMPARE(answers.texts, QStringList {kNotConnected});
        QTRY_COMPARE(form->focusWidget(), static_cast<QWidget*>(button("Command1")));
        QVERIFY(!form->comm1().isOpen());
    }

    void programDownloadSendsTheFileWhole()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        QTemporaryDir dir;
        QByteArray content(10000, '\0');
        for (int i = 0; i < content.size(); ++i)
            content[i] = static_cast<char>((i * 31) & 0xFF);
        content[0] = '\x00';
        content[9999] = '\xFF';
        const QString full = tessa::testing::writeFile(dir.filePath(QStringLiteral("program.txt")), content);
        far.write(QByteArray("old"));
        QTRY_VERIFY_WITH_TIMEOUT(!form->receiveLogs().hexLog().isEmpty(), 5000);
        ScriptedDialogs& dialog = clickWithFile("Command17", full);
        QCOMPARE(dialog.shown, 1);
        QCOMPARE(dialog.filters, QStringList {QStringLiteral("Txt file (*.txt)")});
        QCOMPARE(far.read(10005), hex("6337330D0A") + content);
        QVERIFY(far.readFor(200).isEmpty());
        QVERIFY(button("Command24")->isEnabled() && button("Command25")->isEnabled());
        QVERIFY(form->receiveLogs().hexLog().isEmpty());

        // One byte more, or a cancelled dialog: nothing at all goes out (a device that had the
        // announcement would take the next line as its file), and the jog buttons stay on.
        const QString over = tessa::testing::writeFile(dir.filePath(QStringLiteral("over.txt")), content + 'x');
        ScriptedDialogs& answers = clickWithFile("Command17", over);
        QCOMPARE(answers.texts, QStringList {QStringLiteral("Filesize too large over 10000Bytes")});
        QCOMPARE(answers.icons, QList<QMessageBox::Icon> {QMessageBox::NoIcon});
        for (const char* download : {"Command17", "Command56"})
            QCOMPARE(clickWithFile(download).shown, 1);
        QVERIFY(far.readFor(300).isEmpty());
        QVERIFY(button("Command24")->isEnabled() && button("Command25")->isEnabled());

        // An empty file completes a download of nothing.
        const QString empty = tessa::testing::writeFile(dir.filePath(QStringLiteral("empty.txt")), {});
        QVERIFY(clickWithFile("Command17", empty).texts.isEmpty());
        QCOMPARE(far.read(5), QByteArray("c73\r\n"));
        QVERIFY(far.readFor(200).isEmpty());
        QVERIFY(button("Command24")->isEnabled() && button("Command25")->isEnabled());
    }

    void aDownloadOfAFifoIsRefusedWithoutWaitingAndSendsNothing()
    {
        showForm();
        connectToPty();
        FarEnd far(pty->farPath());
        QTemporaryDir dir;
        tessa::testing::IdleFifo fifo(dir.filePath(QStringLiteral("x.txt")));
        QVERIFY(fifo.made());
        ScriptedDialogs& answers = freshDialogs();
        answers.paths << dir.filePath(QStringLiteral("x.txt"));
        QVERIFY(fifo.returnsWithoutAWriter([&] { button("Command17")->click(); }));
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts[0].contains(QStringLiteral("Not a regular file (a FIFO). Nothing was sent.")),
                 qPrintable(answers.texts[0]));
        QVERIFY(far.readFor(300).isEmpty());
    }

    void parameterDownloadLeavesTheJogButtonsAndAnUnreadableFileSendsNothing()
    {
        showForm();
        ScriptedDialogs& answers = freshDialogs();
        button("Command56")->click();
        QCOMPARE(answers.texts, QStringList {kNotConnected});
        connectToPty();
        FarEnd far(pty->farPath());
        QTemporaryDir dir;  // a folder: it opens in no dialog's way but cannot be read as a file
        answers.paths << dir.path();
        button("Command56")->click();
        QVERIFY(far.readFor(300).isEmpty());
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY2(answers.texts[1].contains(QStringLiteral("Nothing was sent")), qPrintable(answers.texts[1]));

        const QString path =
            tessa::testing::writeFile(dir.filePath(QStringLiteral("param.txt")), hex("00FF0D0A1AFF00"));
        button("Command24")->setEnabled(false);
        clickWithFile("Command56", path);
        QCOMPARE(far.read(12), hex("6338330D0A") + hex("00FF0D0A1AFF00"));
        QVERIFY(!button("Command24")->isEnabled());
        QVERIFY(button("Command25")->isEnabled());
    }
};

TESSA_WINDOW_TEST_MAIN(PanelsWindowTest)

#include "panels_window_test.moc"
