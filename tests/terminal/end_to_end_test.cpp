// The whole terminal window against the simulated device program (tessa-device) on a real
// pseudo-terminal: what the user types or clicks goes out, the device answers as a device
// would, and the answer shows in the receive views. Nothing here plays the device's part.
#include "program/program_model.h"
#include "receive/receive_view.h"
#include "support/device_process.h"
#include "support/form_test.h"
#include "support/window_test_main.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <optional>

using tessa::testing::DeviceProcess;
using tessa::testing::mapPort;
using tessa::testing::ScriptedDialogs;
using tessa::testing::withCrc;

namespace {

// Long enough for a loaded machine; a healthy round trip takes a few milliseconds.
constexpr int kAnswerTimeoutMs = 5000;

// Bytes as the hexadecimal view writes them: "01 03 04 ".
QString asHexView(const QByteArray& bytes)
{
    QString text;
    for (char b : bytes)
        text += QStringLiteral("%1 ").arg(static_cast<quint8>(b), 2, 16, QChar(u'0')).toUpper();
    return text;
}

}  // namespace

class EndToEndTest : public tessa::testing::FormTest {
    Q_OBJECT

private:
    std::unique_ptr<DeviceProcess> device;

    tessa::ReceiveView* characterView() { return child<tessa::ReceiveView>("Text6"); }
    tessa::ReceiveView* hexView() { return child<tessa::ReceiveView>("Text4"); }
    QString deviceLog() { return device ? device->log() : QString(); }

    void startDevice()
    {
        device = std::make_unique<DeviceProcess>(QStringLiteral(TESSA_DEVICE_PROGRAM), QStringList {});
        QVERIFY2(device->ready(), qPrintable(device->problem()));
    }

    // Typed into the command line and sent with Enter, as a user does.
    void typeLine(const QString& line)
    {
        QLineEdit* text7 = child<QLineEdit>("Text7");
        text7->setFocus();
        QTest::keyClicks(text7, line);
        QTest::keyClick(text7, Qt::Key_Return);
        QVERIFY(text7->text().isEmpty());
    }

    // A text record with CR LF added through the program editor.
    void addDataRecord(const QString& text)
    {
        element<QRadioButton>("Option3", 0)->setChecked(true);
        child<QLineEdit>("Text3")->clear();
        element<QRadioButton>("Option2", 1)->setChecked(true);
        child<QCheckBox>("Check2")->setChecked(true);
        child<QLineEdit>("Text3")->setText(text);
        button("Command5")->click();
    }

    void setPanelBox(int index, const QString& text) { element<QLineEdit>("Text26", index)->setText(text); }

    // Panel 3 (the second read panel) reads count registers from address.
    void readWithPanel3(quint16 address, quint16 count)
    {
        const auto hexByte = [](int value) { return QStringLiteral("%1").arg(value, 2, 16, QChar(u'0')).toUpper(); };
        setPanelBox(36, hexByte(address >> 8));
        setPanelBox(37, hexByte(address & 0xFF));
        setPanelBox(38, hexByte(count >> 8));
        setPanelBox(39, hexByte(count & 0xFF));
        button("Command37")->click();
    }

    // What the views show, for a failure message (cleanup() adds the device's log).
    QString seen()
    {
        return QStringLiteral("hex view: \"%1\"\ncharacter view: \"%2\"")
            .arg(hexView()->toPlainText(), characterView()->toPlainText());
    }
    bool hexViewShows(const QByteArray& reply)
    {
        const QString expected = asHexView(reply);
        return QTest::qWaitFor([&] { return hexView()->toPlainText().contains(expected); }, kAnswerTimeoutMs);
    }
    bool characterViewShows(const QRegularExpression& answer)
    {
        return QTest::qWaitFor([&] { return characterView()->toPlainText().contains(answer); }, kAnswerTimeoutMs);
    }
    bool characterViewShows(const QString& answer)
    {
        return characterViewShows(QRegularExpression(QRegularExpression::escape(answer)));
    }

private slots:
    // Every test but the port scan starts with the device on port number 7, connected.
    void init()
    {
        forgetSettingsAndPorts();
        if (qstrcmp(QTest::currentTestFunction(), "autoTestFindsTheDeviceAlone") == 0)
            return;
        startDevice();
        if (QTest::currentTestFailed())
            return;
        showForm();
        connectTo(device->path(), 7);
    }

    void cleanup()
    {
        if (QTest::currentTestFailed() && device)
            qWarning("device log:\n%s", qPrintable(device->log()));
        form.reset();
        device.reset();
    }

    void typedLineVersionJogAndPositionButtonsAreAnswered()
    {
        const auto answers = [&] {
            return characterView()->toPlainText().count(QStringLiteral("VER tessa-device 1.00"));
        };
        typeLine(QStringLiteral("ver"));
        QVERIFY(!characterView()->isHidden());
        QVERIFY2(QTest::qWaitFor([&] { return answers() > 0; }, kAnswerTimeoutMs), qPrintable(seen()));
        QCOMPARE(answers(), 1);  // exactly one answer to one line
        button("Command41")->click();
        QVERIFY2(QTest::qWaitFor([&] { return answers() == 2; }, kAnswerTimeoutMs), qPrintable(seen()));

        // Before the jog the axis stands at 0, so "POS=10" can only come from the step.
        button("Command26")->click();
        QVERIFY2(characterViewShows(QRegularExpression(QStringLiteral("POS=0(?!\\d)"))), qPrintable(seen()));
        QTest::mouseClick(button("Command24"), Qt::LeftButton);
        button("Command26")->click();
        QVERIFY2(characterViewShows(QRegularExpression(QStringLiteral("POS=10(?!\\d)"))), qPrintable(seen()));
    }

    void modbusRoundTrips()
    {
        child<QTabWidget>("SSTab1")->setCurrentIndex(3);

        // Panel 0 with its design values writes 0000 0640 to registers 0104 and 0105.
        button("Command31")->click();
        QVERIFY2(hexViewShows(withCrc(QByteArray::fromHex("011001040002"))), qPrintable(seen()));

        // Read back through panel 3: the values just written.
        button("Command14")->click();
        readWithPanel3(0x0104, 2);
        QVERIFY2(hexViewShows(withCrc(QByteArray::fromHex("01030400000640"))), qPrintable(seen()));

        // A register the device was not given: the version it starts with.
        button("Command14")->click();
        readWithPanel3(0x0200, 1);
        QVERIFY2(hexViewShows(withCrc(QByteArray::fromHex("0103020064"))), qPrintable(seen()));

        // Past the last register (03FF): exception 02, illegal data address.
        button("Command14")->click();
        readWithPanel3(0x0400, 1);
        QVERIFY2(hexViewShows(withCrc(QByteArray::fromHex("018302"))), qPrintable(seen()));
    }

    void programWithDelayReplaysInOrderAndWaits()
    {
        // The receive poll's own 100 ms step would blur both arrival times by as much.
        child<QTimer>("Timer1")->setInterval(10);
        child<QTabWidget>("SSTab1")->setCurrentIndex(0);
        addDataRecord(QStringLiteral("ver"));
        element<QRadioButton>("Option3", 1)->setChecked(true);
        child<QLineEdit>("Text5")->setText(QStringLiteral("500"));
        button("Command5")->click();
        addDataRecord(QStringLiteral("c53"));
        QCOMPARE(form->programModel().records().size(), 3);

        // When the view first shows each answer, taken from the view's own change signal.
        QElapsedTimer clock;
        std::optional<qint64> versionAt;
        std::optional<qint64> positionAt;
        const QRegularExpression position(QStringLiteral("POS=0(?!\\d)"));
        connect(characterView(), &tessa::ReceiveView::textChanged, this, [&] {
            const QString text = characterView()->toPlainText();
            if (!versionAt && text.contains(QStringLiteral("VER tessa-device 1.00")))
                versionAt = clock.elapsed();
            if (!positionAt && text.contains(position))
                positionAt = clock.elapsed();
        });
        clock.start();
        button("Command6")->click();
        QVERIFY2(QTest::qWaitFor([&] { return versionAt && positionAt; }, 10000), qPrintable(seen()));
        disconnect(characterView(), &tessa::ReceiveView::textChanged, this, nullptr);
        const QString text = characterView()->toPlainText();
        QVERIFY(text.indexOf(QStringLiteral("VER tessa-device")) < text.indexOf(position));
        // The 500 ms pause, less what a coarse timer may fire early and the view's poll step.
        const qint64 gap = *positionAt - *versionAt;
        QVERIFY2(gap >= 450, qPrintable(QStringLiteral("the second answer came %1 ms after the first").arg(gap)));
    }

    void programDownloadArrivesWhole()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QByteArray content(10000, '\0');
        QRandomGenerator random(20240611);
        for (char& b : content)
            b = static_cast<char>(random.bounded(256));
        // The two bytes most likely to be taken for something else are surely there.
        content[0] = '\x00';
        content[5000] = '\xFF';
        content[9999] = '\xFF';
        content[4999] = '\x00';
        const QString path = tessa::testing::writeFile(dir.filePath(QStringLiteral("program.txt")), content);
        QCOMPARE(clickWithFile("Command17", path).shown, 1);
        QVERIFY2(characterViewShows(QStringLiteral("PROGRAM 10000 BYTES")), qPrintable(seen()));
        QFile kept(QDir(device->downloadDir()).filePath(QStringLiteral("program-001.txt")));
        QVERIFY2(kept.open(QIODevice::ReadOnly), qPrintable(kept.fileName()));
        QCOMPARE(kept.readAll(), content);
    }

    void programReplayAnnouncesAndSendsAFile()
    {
        // The announcement and the file leave in one replay tick, so the device may well read
        // them together; the file still has to be taken as the file.
        child<QTabWidget>("SSTab1")->setCurrentIndex(0);
        addDataRecord(QStringLiteral("c73"));
        addDataRecord(QStringLiteral("N001 ABS=0"));
        addDataRecord(QStringLiteral("N002 END"));
        button("Command6")->click();
        QVERIFY2(characterViewShows(QStringLiteral("PROGRAM 22 BYTES")), qPrintable(seen()));
        QVERIFY2(!characterView()->toPlainText().contains(QStringLiteral("ERR")), qPrintable(seen()));
        QFile kept(QDir(device->downloadDir()).filePath(QStringLiteral("program-001.txt")));
        QVERIFY2(kept.open(QIODevice::ReadOnly), qPrintable(kept.fileName()));
        QCOMPARE(kept.readAll(), QByteArray("N001 ABS=0\r\nN002 END\r\n"));
    }

    void autoTestFindsTheDeviceAlone()
    {
        startDevice();
        if (QTest::currentTestFailed())
            return;
        QTemporaryDir nowhere;
        QVERIFY(nowhere.isValid());
        tessa::testing::mapEveryPortNowhere(nowhere);
        mapPort(5, device->path());
        showForm();
        if (QTest::currentTestFailed())
            return;
        ScriptedDialogs& answers = freshDialogs();
        QAction* menu = form->findChild<QAction*>(QStringLiteral("mnu_autotest"));
        QVERIFY(menu);
        auto* combo2 = child<QComboBox>("Combo2");

        menu->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 1, 40000);
        QVERIFY2(answers.texts[0] == QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rMaybe COM5\n\r"),
                 qPrintable(answers.texts[0]));

        // "Dorva HMI": the probe is "0930" and only a reply starting "TT" counts.
        combo2->setCurrentIndex(tessa::kDeviceRowHmi);
        QCOMPARE(combo2->currentText(), QStringLiteral("Dorva HMI"));
        menu->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 2, 40000);
        QVERIFY2(answers.texts[1] == QStringLiteral("Finished Autotest!!!\n\rDorva HMI\n\rMaybe COM5\n\r"),
                 qPrintable(answers.texts[1]));
        QVERIFY2(deviceLog().contains(QStringLiteral("TT0930")), qPrintable(deviceLog()));

        // "Dorva K5 Ring ..": the answer must start "01 03". The frame boxes' first values
        // (11 22) get a NAK; a Modbus read request typed into them gets a Modbus answer.
        combo2->setCurrentIndex(tessa::kDeviceRowK5Ring);
        menu->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 3, 40000);
        QVERIFY2(answers.texts[2].endsWith(QStringLiteral("Could not found!!!")), qPrintable(answers.texts[2]));
        const QStringList request {"01", "03", "02", "00", "00", "01", "85", "B2"};
        for (int i = 0; i < request.size(); ++i)
            element<QLineEdit>("Text2", i)->setText(request[i]);
        menu->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.texts.size(), 4, 40000);
        QVERIFY2(answers.texts[3].endsWith(QStringLiteral("\n\rMaybe COM5\n\r")), qPrintable(answers.texts[3]));
    }
};

TESSA_WINDOW_TEST_MAIN(EndToEndTest)

#include "end_to_end_test.moc"
