// The program tab and the port auto test, driven through the window: editor, replay on real
// pseudo-terminals, program files through the file dialog, and a scan over mapped COM numbers.
#include "program/program_model.h"
#include "raw_pty.h"
#include "receive/receive_view.h"
#include "support/bytes_of.h"
#include "support/form_test.h"
#include "support/idle_fifo.h"
#include "support/window_test_main.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTimer>

#include <fcntl.h>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>

using tessa::testing::bytesOf;
using tessa::testing::FarEnd;
using tessa::testing::kNotConnected;
using tessa::testing::mapEveryPortNowhere;
using tessa::testing::PtyPair;
using tessa::testing::ScriptedDialogs;

namespace {

// A device on the far end of a pty that answers every request with "OK".
class Responder {
public:
    explicit Responder(const QString& path)
    {
        fd_ = orvane::testing::openRawLine(QFile::encodeName(path).toStdString(), true);
        if (fd_ < 0)
            return;
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char buffer[256];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                requests += QByteArray(buffer, n);
                [[maybe_unused]] const ssize_t w = ::write(fd_, "OK", 2);
            }
        });
    }
    ~Responder()
    {
        notifier_.reset();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    QByteArray requests;

private:
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

class ProgramFormTest : public tessa::testing::FormTest {
    Q_OBJECT

private:
    QListWidget* List1() { return child<QListWidget>("List1"); }
    QLineEdit* Text3() { return child<QLineEdit>("Text3"); }
    QLineEdit* Text5() { return child<QLineEdit>("Text5"); }
    void click(const char* name) { child<QPushButton>(name)->click(); }

    QStringList lines()
    {
        QStringList out;
        for (int i = 0; i < List1()->count(); ++i)
            out << List1()->item(i)->text();
        return out;
    }
    QStringList records()
    {
        QStringList out;
        for (int i = 0; i < List1()->count(); ++i)
            out << form->programModel().entry(i);
        return out;
    }

    void addData(const QString& text, bool hex, bool crLf)
    {
        element<QRadioButton>("Option3", 0)->setChecked(true);
        Text3()->clear();
        element<QRadioButton>("Option2", hex ? 0 : 1)->setChecked(true);
        child<QCheckBox>("Check2")->setChecked(crLf);
        Text3()->setText(text);
        click("Command5");
    }
    void addDelay(const QString& ms)
    {
        element<QRadioButton>("Option3", 1)->setChecked(true);
        Text5()->setText(ms);
        click("Command5");
    }

    // Every control of the window's client area lies inside what the window shows of it.
    void verifyEveryControlVisible()
    {
        auto* client = child<QWidget>("Form1Client");
        QTRY_VERIFY(client->height() > 0);
        for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!control->isHidden())
                QVERIFY2(control->geometry().bottom() < client->height(),
                         qPrintable(QStringLiteral("%1 ends at %2, the window shows %3")
                                        .arg(control->objectName())
                                        .arg(control->geometry().bottom())
                                        .arg(client->height())));
    }

private slots:
    void init()
    {
        forgetSettingsAndPorts();
        form = makeForm();
    }
    void cleanup() { closeFormAndPty(); }

    void addShowsAndStoresEachShape()
    {
        element<QRadioButton>("Option2", 0)->setChecked(true);
        Text3()->setFocus();
        QTest::keyClicks(Text3(), QStringLiteral("0103"));
        QCOMPARE(Text3()->text(), QStringLiteral("01 03 "));
        click("Command5");
        addData(QStringLiteral("ver"), false, false);
        addDelay(QStringLiteral("250"));
        QCOMPARE(lines(), QStringList({"001 01 03  +CrLf", "002 ver", "003 SYSTEM DELAY 250"}));
        QCOMPARE(records(), QStringList({"(H)DA01 03 ", "(C)  ver", "SYSTEM DELAY 250"}));
        QCOMPARE(List1()->currentRow(), 1);  // the last data line added
    }

    void hexEntryTakesOnlyHexDigitsAndBackspaceTidiesPairs()
    {
        element<QRadioButton>("Option2", 0)->setChecked(true);
        Text3()->setFocus();
        QTest::keyClicks(Text3(), QStringLiteral("g"));
        QCOMPARE(Text3()->text(), QString());
        QTest::keyClicks(Text3(), QStringLiteral("aZ,B"));
        QCOMPARE(Text3()->text(), QStringLiteral("aB "));
        QTest::keyClick(Text3(), Qt::Key_Backspace);  // removes the space, then the digit
        QCOMPARE(Text3()->text(), QStringLiteral("a"));
        // In character mode every key is taken.
        Text3()->clear();
        element<QRadioButton>("Option2", 1)->setChecked(true);
        QTest::keyClicks(Text3(), QStringLiteral("g,z"));
        QCOMPARE(Text3()->text(), QStringLiteral("g,z"));
    }

    void modeChangeNeedsAnEmptyDataBox()
    {
        ScriptedDialogs& answers = freshDialogs();
        Text3()->setText(QStringLiteral("abc"));
        // A click on the mode already selected changes nothing and asks nothing.
        QTest::mouseClick(element<QRadioButton>("Option2", 1), Qt::LeftButton);
        QTest::qWait(150);
        QVERIFY(answers.texts.isEmpty());
        QTest::mouseClick(element<QRadioButton>("Option2", 0), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts, QStringList {"Must data blank!!"}, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(element<QRadioButton>("Option2", 1)->isChecked(), 5000);
        Text3()->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QTimer>("Timer10")->isActive(), 5000);
        QTest::mouseClick(element<QRadioButton>("Option2", 0), Qt::LeftButton);
        QTest::qWait(100);
        QVERIFY(element<QRadioButton>("Option2", 0)->isChecked());
        QCOMPARE(answers.texts.size(), 1);
    }

    void emptyDataAndTheThousandLineLimitAreRefused()
    {
        ScriptedDialogs& answers = freshDialogs();
        addData(QString(), false, true);
        QCOMPARE(answers.texts, QStringList {"資料空白!"});
        QCOMPARE(answers.titles, QStringList {"提示"});
        for (int i = 0; i < 1000; ++i)
            addDelay(QString::number(i));
        QCOMPARE(List1()->count(), 1000);
        QCOMPARE(List1()->item(999)->text(), QStringLiteral("1000 SYSTEM DELAY 999"));
        addData(QStringLiteral("x"), false, false);
        QCOMPARE(answers.texts.last(), QStringLiteral("超過1000行!"));
        QCOMPARE(answers.titles.last(), QStringLiteral("警告"));
        click("Command8");
        QCOMPARE(answers.texts.last(), QStringLiteral("Over 1000 lines"));
        QCOMPARE(List1()->count(), 1000);
        QCOMPARE(form->programModel().entry(1000), QString());
    }

    void badHexAndOutOfRangeDelaysAreRefusedWhereTheyEnter()
    {
        ScriptedDialogs& answers = freshDialogs();
        addData(QStringLiteral("a"), false, false);
        addData(QStringLiteral("01 G2 "), true, false);  // pasted, not typed
        QCOMPARE(List1()->count(), 1);
        QVERIFY2(answers.texts.last().startsWith(QStringLiteral("Line 2:")), qPrintable(answers.texts.last()));
        List1()->setCurrentRow(0);
        click("Command10");  // replace with the same bad text
        QVERIFY2(answers.texts.last().startsWith(QStringLiteral("Line 1:")), qPrintable(answers.texts.last()));
        QCOMPARE(records(), QStringList {"(C)  a"});
        addDelay(QStringLiteral("10000"));
        QCOMPARE(List1()->count(), 1);
        addDelay(QStringLiteral("-1"));
        QCOMPARE(List1()->count(), 1);
        QCOMPARE(answers.texts.size(), 4);
        QVERIFY2(answers.texts.last().contains(QStringLiteral("is not 0 to 9999 ms")),
                 qPrintable(answers.texts.last()));
        // Zero and non-numbers are kept as the value the replay uses: no pause.
        addDelay(QStringLiteral("abc"));
        addDelay(QStringLiteral("0"));
        addDelay(QStringLiteral(" 0042"));
        // A typed "0250" is stored as the number it waits, as a rebuild would make it.
        addDelay(QStringLiteral("0250"));
        QCOMPARE(
            lines().mid(1),
            QStringList({"002 SYSTEM DELAY 0", "003 SYSTEM DELAY 0", "004 SYSTEM DELAY 42", "005 SYSTEM DELAY 250"}));
        QCOMPARE(records().last(), QStringLiteral("SYSTEM DELAY 250"));
    }

    void insertDeleteAndReplaceKeepListAndTableInStep()
    {
        addData(QStringLiteral("a"), false, false);
        addData(QStringLiteral("b"), false, true);
        addData(QStringLiteral("c"), false, false);
        // Delete line 2: the old line 3 becomes 002 and is loaded into the editor.
        List1()->setCurrentRow(1);
        click("Command7");
        QCOMPARE(lines(), QStringList({"001 a", "002 c"}));
        QCOMPARE(records(), QStringList({"(C)  a", "(C)  c"}));
        QCOMPARE(form->programModel().entry(2), QString());
        QCOMPARE(List1()->currentRow(), 1);
        QCOMPARE(Text3()->text(), QStringLiteral("c"));
        QVERIFY(!child<QCheckBox>("Check2")->isChecked());
        // Deleting the last line selects the one before it.
        click("Command7");
        QCOMPARE(lines(), QStringList({"001 a"}));
        QCOMPARE(List1()->currentRow(), 0);
        // Insert before the selected line, and with nothing selected at the end.
        Text3()->setText(QStringLiteral("x"));
        click("Command8");
        QCOMPARE(lines(), QStringList({"001 x", "002 a"}));
        List1()->setCurrentRow(-1);
        List1()->clearSelection();
        Text3()->setText(QStringLiteral("y"));
        click("Command8");
        QCOMPARE(lines(), QStringList({"001 x", "002 a", "003 y"}));
        // Replace a data line by a delay and back.
        List1()->setCurrentRow(1);
        element<QRadioButton>("Option3", 1)->setChecked(true);
        Text5()->setText(QStringLiteral("77"));
        click("Command10");
        QCOMPARE(lines(), QStringList({"001 x", "002 SYSTEM DELAY 77", "003 y"}));
        QCOMPARE(List1()->currentRow(), 1);
        element<QRadioButton>("Option3", 0)->setChecked(true);
        Text3()->setText(QStringLiteral("q"));
        child<QCheckBox>("Check2")->setChecked(true);
        click("Command10");
        QCOMPARE(records(), QStringList({"(C)  x", "(C)DAq", "(C)  y"}));
        QCOMPARE(lines().at(1), QStringLiteral("002 q +CrLf"));
        // A click on a line loads it into the editor.
        QTest::mouseClick(List1()->viewport(), Qt::RightButton, {}, List1()->visualItemRect(List1()->item(0)).center());
        QCOMPARE(Text3()->text(), QStringLiteral("x"));
        QVERIFY(!child<QCheckBox>("Check2")->isChecked());
        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        QCOMPARE(List1()->count(), 0);
        QVERIFY(form->programModel().records().isEmpty());
    }

    void replaySendsLinesHonoursDelaysAndStops()
    {
        ScriptedDialogs& answers = freshDialogs();
        addData(QStringLiteral("a"), false, false);
        click("Command6");
        QCOMPARE(answers.texts, QStringList {kNotConnected});
        connectToPty();
        FarEnd far(pty->farPath());
        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        click("Command6");
        QCOMPARE(answers.texts.last(), QStringLiteral("No Data!!"));

        addData(QStringLiteral("01 03 "), true, true);
        addData(QStringLiteral("ver"), false, false);
        addDelay(QStringLiteral("0"));
        addData(QStringLiteral("a"), false, false);
        addDelay(QStringLiteral("300"));
        addData(QStringLiteral("b"), false, false);
        click("Command6");
        QCOMPARE(far.read(9), bytesOf({0x01, 0x03, 0x0D, 0x0A, 'v', 'e', 'r', 'a', 'b'}));
        QTRY_VERIFY_WITH_TIMEOUT(!child<QTimer>("Timer13")->isActive(), 5000);
        // Stop after a finished pass sends nothing without loop.
        click("Command11");
        QVERIFY(far.readFor(300).isEmpty());
        QVERIFY(!child<QTimer>("Timer13")->isActive());
        QCOMPARE(answers.texts.size(), 2);

        // Stop during a delay, and in a loop.
        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        addData(QStringLiteral("ver"), false, false);
        addDelay(QStringLiteral("300"));
        addData(QStringLiteral("test"), false, false);
        click("Command6");
        QCOMPARE(far.read(3), QByteArray("ver"));
        click("Command11");
        QVERIFY(!child<QTimer>("Timer13")->isActive());
        QVERIFY(!child<QTimer>("Timer14")->isActive());
        QVERIFY(far.readFor(500).isEmpty());
        // "傳送" starts again from the first line.
        click("Command6");
        QCOMPARE(far.read(3), QByteArray("ver"));
        click("Command11");

        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        addData(QStringLiteral("L"), false, false);
        addDelay(QStringLiteral("20"));
        child<QCheckBox>("Check3")->setChecked(true);
        click("Command6");
        QCOMPARE(far.read(3), QByteArray("LLL"));
        click("Command11");
        far.readFor(50);  // a line already in the pty
        QVERIFY(far.readFor(300).isEmpty());
        QVERIFY(!child<QTimer>("Timer13")->isActive());
    }

    // Each program button says what it does, in the captions' language.
    void programButtonsHaveToolTips()
    {
        for (const char* name :
             {"Command5", "Command8", "Command7", "Command10", "Command6", "Command11", "Command9", "Command12"}) {
            const QString tip = child<QPushButton>(name)->toolTip();
            QVERIFY2(!tip.isEmpty() && tip.contains(QRegularExpression(QStringLiteral("[\\x{4E00}-\\x{9FFF}]")))
                         && !tip.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3}"))),
                     name);
        }
        QVERIFY(!child<QCheckBox>("Check3")->toolTip().isEmpty());
    }

    // A looping program stops where the port was lost, says at which line, and sends nothing
    // once the port is back until it is started again.
    void loopStopsAtAPortLossAndStaysStopped()
    {
        connectToPty();
        addData(QStringLiteral("A"), false, false);
        addDelay(QStringLiteral("40"));
        addData(QStringLiteral("B"), false, false);
        addDelay(QStringLiteral("40"));
        child<QCheckBox>("Check3")->setChecked(true);
        {
            FarEnd far(pty->farPath());
            click("Command6");
            QCOMPARE(far.read(4), QByteArray("ABAB"));
        }
        pty->stop();
        QTRY_VERIFY_WITH_TIMEOUT(!form->comm1().isOpen(), 5000);
        QVERIFY(!child<QTimer>("Timer13")->isActive());
        QVERIFY(!child<QTimer>("Timer14")->isActive());
        const QString said = form->findChild<QStatusBar*>()->currentMessage();
        const QRegularExpressionMatch line =
            QRegularExpression(QStringLiteral("^通訊埠連線已中斷，程式在第 ([1-4]) 行停止$")).match(said);
        QVERIFY2(line.hasMatch(), qPrintable(said));

        QVERIFY(pty->plugIn());
        FarEnd far(pty->farPath());
        connectTo(pty->nearPath());
        QVERIFY(far.readFor(400).isEmpty());
        click("Command6");
        QCOMPARE(far.read(2), QByteArray("AB"));
        click("Command11");
    }

    void saveOnAFullDiskSaysTheDiskIsFull()
    {
        QTemporaryDir dir;
        if (::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("no tmpfs can be mounted here");
        const auto unmount = qScopeGuard([&dir] { ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH); });
        const int filler =
            ::open(QFile::encodeName(dir.filePath(QStringLiteral("filler"))).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(filler >= 0);
        const QByteArray block(1024, 'x');
        while (::write(filler, block.constData(), static_cast<size_t>(block.size())) > 0) { }
        ::close(filler);
        addData(QStringLiteral("ver"), false, true);
        ScriptedDialogs& answers = freshDialogs();
        answers.paths << dir.filePath(QStringLiteral("prog.txt"));
        form->findChild<QAction*>(QStringLiteral("mnu_save"))->trigger();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts[0].contains(QStringLiteral("the disk is full")), qPrintable(answers.texts[0]));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("prog.txt"))));
    }

    void openingAFifoIsRefusedWithoutWaitingForAWriter()
    {
        QTemporaryDir dir;
        tessa::testing::IdleFifo fifo(dir.filePath(QStringLiteral("x.txt")));
        QVERIFY(fifo.made());
        addData(QStringLiteral("ver"), false, true);
        const QStringList before = lines();
        ScriptedDialogs& answers = freshDialogs();
        answers.paths << dir.filePath(QStringLiteral("x.txt"));
        QVERIFY(fifo.returnsWithoutAWriter([&] { form->findChild<QAction*>(QStringLiteral("mnu_open"))->trigger(); }));
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts[0].contains(QStringLiteral("Not a regular file (a FIFO)")),
                 qPrintable(answers.texts[0]));
        QCOMPARE(lines(), before);
        // The window goes on serving its events.
        bool served = false;
        QTimer::singleShot(0, form.get(), [&] { served = true; });
        QTRY_VERIFY(served);
    }

    void saveAndLoadRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("prog.txt"));
        ScriptedDialogs& answers = freshDialogs();
        form->findChild<QAction*>(QStringLiteral("mnu_save"))->trigger();
        QCOMPARE(answers.texts, QStringList {"No Data"});

        addData(QStringLiteral("ver"), false, true);
        addDelay(QStringLiteral("500"));
        addData(QStringLiteral("say \"hi\", ok"), false, false);
        addData(QStringLiteral("01 FF "), true, false);
        const QStringList savedLines = lines();
        const QStringList savedRecords = records();
        answers.paths << path;
        click("Command9");
        QCOMPARE(answers.texts.last(), QStringLiteral("Save finished"));
        QCOMPARE(answers.filters.last(), QStringLiteral("Txt file (*.txt)"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("\"(C)DAver\"\r\n\"SYSTEM DELAY 500\"\r\n\"(C)  say \"hi\", ok\"\r\n\"(H)  01 FF \"\r\n"));
        file.close();

        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        answers.paths << path;
        click("Command12");
        QCOMPARE(lines(), savedLines);
        QCOMPARE(records(), savedRecords);
        QVERIFY(List1()->isVisible() || !form->isVisible());
        QCOMPARE(answers.texts.size(), 2);

        // Overwrite: No keeps the file, Yes replaces it whole.
        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        addData(QStringLiteral("z"), false, false);
        answers.paths << path;
        answers.buttons << QMessageBox::No;
        form->findChild<QAction*>(QStringLiteral("mnu_save"))->trigger();
        QCOMPARE(answers.texts.last(), QStringLiteral("File already exist,overwrite it?"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("\"(C)DAver\""));
        file.close();
        answers.paths << path;
        answers.buttons << QMessageBox::Yes;
        form->findChild<QAction*>(QStringLiteral("mnu_save"))->trigger();
        QCOMPARE(answers.texts.last(), QStringLiteral("Save finished"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\"(C)  z\"\r\n"));
        file.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"prog.txt"});  // no temporary left

        // Characters beyond the one-byte code page become "?" in the file: the message says so.
        form->findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
        addData(QStringLiteral("溫度 ok"), false, false);
        addData(QStringLiteral("é"), false, false);
        answers.paths << path;
        answers.buttons << QMessageBox::Yes;
        click("Command9");
        QVERIFY2(answers.texts.last().startsWith(QStringLiteral("Save finished")), qPrintable(answers.texts.last()));
        QVERIFY2(answers.texts.last().contains(QStringLiteral("2 characters")) && answers.texts.last().contains(u'?'),
                 qPrintable(answers.texts.last()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\"(C)  ?? ok\"\r\n\"(C)  \xE9\"\r\n"));
        file.close();
    }

    void failedSaveSaysSoAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        // The target's directory does not exist: the file cannot be written.
        const QString target = dir.filePath(QStringLiteral("missing/prog.txt"));
        ScriptedDialogs& answers = freshDialogs();
        addData(QStringLiteral("a"), false, false);
        answers.paths << target;
        click("Command9");
        QTRY_VERIFY_WITH_TIMEOUT(!answers.texts.isEmpty(), 5000);
        QVERIFY2(answers.texts.last().startsWith(QStringLiteral("Could not save")),
                 qPrintable(answers.texts.join(u'|')));
        QVERIFY(!answers.texts.contains(QStringLiteral("Save finished")));
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());  // no temporary left behind
    }

    void loadCopesWithEmptyGarbageBadHexAndTooManyRecords()
    {
        QTemporaryDir dir;
        const auto write = [&](const QString& name, const QByteArray& content) {
            return tessa::testing::writeFile(dir.filePath(name), content);
        };
        ScriptedDialogs& answers = freshDialogs();
        addData(QStringLiteral("old"), false, false);
        answers.paths << write(QStringLiteral("empty.txt"), {});
        click("Command12");
        QCOMPARE(List1()->count(), 0);
        QVERIFY(answers.texts.isEmpty());

        answers.paths << write(QStringLiteral("bad.txt"),
                               "\"(C)  a\"\r\n\"(H)DA0Z \"\r\n\"(C)DA\"\r\n\"SYSTEM DELAY 12345\"");
        click("Command12");
        QCOMPARE(lines(), QStringList({"001 a", "002 SYSTEM DELAY 1234"}));
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts[0].contains(QStringLiteral("File line 2: not loaded"))
                     && answers.texts[0].contains(QStringLiteral("File line 3: not loaded: no data."))
                     && answers.texts[0].contains(QStringLiteral(
                         "File line 4: \"SYSTEM DELAY 12345\" loaded as program line 2 \"SYSTEM DELAY 1234\".")),
                 qPrintable(answers.texts[0]));

        QByteArray garbage;
        for (int i = 0; i < 4000; ++i)
            garbage.append(static_cast<char>((i * 131 + 7) % 256));
        answers.paths << write(QStringLiteral("garbage.txt"), garbage);
        click("Command12");
        for (const QString& r : records())
            QVERIFY2(tessa::isSendable(r) && !r.isEmpty(), qPrintable(r));
        QCOMPARE(form->programModel().records().size(), List1()->count());

        QByteArray many;
        for (int i = 0; i < 1005; ++i)
            many += "\"(C)  " + QByteArray::number(i) + "\"\r\n";
        const qsizetype before = answers.texts.size();
        answers.paths << write(QStringLiteral("many.txt"), many);
        click("Command12");
        QCOMPARE(List1()->count(), 1000);
        QCOMPARE(List1()->item(999)->text(), QStringLiteral("1000 999"));
        QCOMPARE(answers.texts.size(), before + 1);
        QCOMPARE(answers.texts.last(), QStringLiteral("超過1000行!\n只載入了前1000行。"));
        QCOMPARE(answers.titles.last(), QStringLiteral("警告"));
    }

    void autoTestFindsOnlyTheAnsweringPortAndSkipsFailedOnes()
    {
        // Ports 1..20 go nowhere except: COM4 answers, COM6 is silent; COM9 has no device yet.
        QTemporaryDir dir;
        mapEveryPortNowhere(dir);
        PtyPair answering;
        PtyPair silent;
        QVERIFY(answering.ready() && silent.ready());
        tessa::testing::mapPort(4, answering.nearPath());
        tessa::testing::mapPort(6, silent.nearPath());
        Responder device(answering.farPath());
        FarEnd quiet(silent.farPath());
        QVERIFY(device.isOpen() && quiet.isOpen());
        // Shorter ticks keep the test short; the answer still has two receive polls to arrive.
        child<QTimer>("Timer4")->setInterval(200);
        child<QTimer>("Timer1")->setInterval(20);

        ScriptedDialogs& answers = freshDialogs();
        QVERIFY(child<QPushButton>("Command4")->isHidden());
        QAction* menu = form->findChild<QAction*>(QStringLiteral("mnu_autotest"));
        QVERIFY(menu);
        menu->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QLabel*>(QStringLiteral("AutoTestProgress")) != nullptr, 2000);
        auto* progress = form->findChild<QLabel*>(QStringLiteral("AutoTestProgress"));
        QTRY_VERIFY_WITH_TIMEOUT(progress->text().contains(QStringLiteral("found: COM4")), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 1, 30000);
        QCOMPARE(answers.texts[0], QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rMaybe COM4\n\r"));
        QCOMPARE(answers.titles[0], QString());
        QCOMPARE(device.requests, QByteArray("\x11\x22"));
        QCOMPARE(quiet.readFor(50), QByteArray("\x11\x22"));
        QCOMPARE(form->portAvailability(9), 0);
        QCOMPARE(form->portAvailability(6), 1);

        // COM9 gets an answering device, but it failed before: the next scan passes it over.
        PtyPair late;
        QVERIFY(late.ready());
        tessa::testing::mapPort(9, late.nearPath());
        Responder lateDevice(late.farPath());
        child<QPushButton>("Command4")->click();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 2, 30000);
        QCOMPARE(answers.texts[1], QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rMaybe COM4\n\r"));
        QVERIFY(lateDevice.requests.isEmpty());

        // A manual connect to COM9 makes it available again.
        if (form->comm1().isOpen())
            click("Command2");
        child<QLineEdit>("Text1")->setText(QStringLiteral("9"));
        click("Command1");
        QVERIFY(form->comm1().isOpen());
        menu->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 3, 30000);
        QCOMPARE(answers.texts[2],
                 QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rMaybe COM4\n\rMaybe COM9\n\r"));
    }

    void autoTestNeverListsAPortThatDidNotOpen()
    {
        // Traffic from an earlier connection is still in the hexadecimal view; then every
        // number leads nowhere. The probe of COM1 must judge only what it received: nothing.
        connectToPty();
        FarEnd far(pty->farPath());
        far.write(QByteArray("OK"));
        QTRY_VERIFY_WITH_TIMEOUT(!child<tessa::ReceiveView>("Text4")->toPlainText().isEmpty(), 5000);
        QTemporaryDir dir;
        mapEveryPortNowhere(dir);
        child<QTimer>("Timer4")->setInterval(20);
        ScriptedDialogs& answers = freshDialogs();
        child<QPushButton>("Command4")->click();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 1, 20000);
        QCOMPARE(answers.texts[0], QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rCould not found!!!"));
    }

    void autoTestStatusBarHidesNoControl()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        verifyEveryControlVisible();
        QTemporaryDir dir;
        mapEveryPortNowhere(dir);
        child<QTimer>("Timer4")->setInterval(100000);
        child<QPushButton>("Command4")->click();
        QTRY_VERIFY(form->statusBar()->isVisible());
        QTest::qWait(50);
        verifyEveryControlVisible();
        for (QAction* mode : {form->findChild<QAction*>(QStringLiteral("mnu_screen_narrow")),
                              form->findChild<QAction*>(QStringLiteral("mu_screen_w"))}) {
            mode->trigger();
            QTest::qWait(50);
            verifyEveryControlVisible();
        }
        form->findChild<QAction*>(QStringLiteral("mnu_autotest_stop"))->trigger();
    }

    void autoTestCanBeStoppedAndSaysWhenNothingAnswers()
    {
        QTemporaryDir dir;
        mapEveryPortNowhere(dir);
        child<QTimer>("Timer4")->setInterval(20);
        ScriptedDialogs& answers = freshDialogs();
        child<QPushButton>("Command4")->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->autoTest().scanPort() >= 2, 5000);
        form->findChild<QAction*>(QStringLiteral("mnu_autotest_stop"))->trigger();
        QVERIFY(!child<QTimer>("Timer4")->isActive());
        QVERIFY(!form->autoTest().running());
        QTest::qWait(200);
        QVERIFY(answers.texts.isEmpty());
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("AutoTestProgress"))->text(),
                 QStringLiteral("Auto test stopped."));

        child<QPushButton>("Command4")->click();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 1, 20000);
        QCOMPARE(answers.texts[0], QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rCould not found!!!"));
    }
};

TESSA_WINDOW_TEST_MAIN(ProgramFormTest)
#include "program_form_test.moc"
