// Session files opened and saved from the window, Modbus polling from the Tools menu against
// Debian's libmodbus slave, and answer rules' notes in the window's traffic log.
#include "answers/answer_store.h"
#include "session/session_file.h"
#include "settings/startup_settings.h"
#include "support/form_test.h"
#include "support/modbus_slave.h"
#include "support/window_test_main.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QSpinBox>

using tessa::testing::FarEnd;

class UnattendedWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

    QTemporaryDir dir;

    static tessa::Session benchSession()
    {
        tessa::Session session;
        session.portNumber = 5;
        session.line.baudRate = 115200;
        session.line.parity = tessa::LineSettings::Parity::Even;
        session.line.dataBits = 7;
        tessa::AnswerRule rule;
        rule.name = QStringLiteral("bell");
        rule.form = tessa::BytePattern::Form::Hex;
        rule.pattern = QStringLiteral("07 ??");
        rule.action = tessa::AnswerRule::Action::Note;
        rule.note = QStringLiteral("bell heard");
        session.answerRules = {rule};
        session.answerActionsPerSecond = 7;
        session.lastScript = QStringLiteral("/bench/check.lua");
        session.panelValues = {{tessa::panelSettingKeys().first(), QStringLiteral("321")}};
        session.poll.request = QStringLiteral("1,4,0x100,2");
        session.poll.format = QStringLiteral("hex");
        session.poll.count = 42;
        return session;
    }

    QString writeSession(const char* name, const tessa::Session& session, const QByteArray& extra = {})
    {
        QByteArray json = tessa::sessionJson(session);
        if (!extra.isEmpty()) {
            QJsonObject root = QJsonDocument::fromJson(json).object();
            root.insert(QStringLiteral("future"), QString::fromUtf8(extra));
            json = QJsonDocument(root).toJson();
        }
        return tessa::testing::writeFile(dir.filePath(QString::fromLatin1(name)), json);
    }

    QLineEdit* firstPanelBox()
    {
        for (auto* box : form->findChildren<QLineEdit*>())
            if (box->text() == QStringLiteral("321"))
                return box;
        return nullptr;
    }

private slots:
    void init()
    {
        forgetSettingsAndPorts();
        showForm();
    }
    void cleanup() { closeFormAndPty(); }

    void sessionIsOpenedSavedAndRefusedWhole()
    {
        const QString opened = writeSession("bench.tessa", benchSession(), "kept");
        QVERIFY(form->openSession(opened));
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("5"));
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QStringLiteral("115200"));
        QCOMPARE(element<QRadioButton>("Option1", 0)->text(), QStringLiteral("e,7,1"));
        QCOMPARE(tessa::loadAnswerRules(tessa::SettingsStore()), benchSession().answerRules);
        QCOMPARE(tessa::loadAnswerRate(tessa::SettingsStore()), 7);
        QVERIFY(firstPanelBox());
        QCOMPARE(child<QLineEdit>("PollRequest")->text(), QStringLiteral("1,4,0x100,2"));
        QCOMPARE(child<QComboBox>("PollFormat")->currentText(), QStringLiteral("hex"));
        QCOMPARE(child<QSpinBox>("PollCount")->value(), 42);

        // Saved from the File menu: what the window holds, and the key this version did not know.
        child<QLineEdit>("Text1")->setText(QStringLiteral("6"));
        auto& answers = freshDialogs();
        const QString saved = dir.filePath(QStringLiteral("saved.tessa"));
        answers.paths << saved;
        child<QAction>("mnu_save_session")->trigger();
        QVERIFY2(answers.texts.isEmpty(), qPrintable(answers.texts.join('\n')));
        QString error;
        const auto back = tessa::readSessionFile(saved, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->portNumber, 6);
        QCOMPARE(back->line, benchSession().line);
        QCOMPARE(back->answerRules, benchSession().answerRules);
        QCOMPARE(back->lastScript, benchSession().lastScript);
        QCOMPARE(back->poll, benchSession().poll);
        QVERIFY(back->panelValues.contains({tessa::panelSettingKeys().first(), QStringLiteral("321")}));
        QCOMPARE(back->kept.value(QStringLiteral("future")).toString(), QStringLiteral("kept"));

        // A file damaged in its last section changes nothing before it: it is refused whole.
        tessa::Session damaged = benchSession();
        damaged.portNumber = 9;
        QByteArray json = tessa::sessionJson(damaged);
        json.replace("\"dataBits\": 7", "\"dataBits\": 7.5");
        const QString bad = tessa::testing::writeFile(dir.filePath(QStringLiteral("bad.tessa")), json);
        freshDialogs();
        answers.paths << bad;
        child<QAction>("mnu_open_session")->trigger();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts[0].contains(QStringLiteral("line.dataBits")), qPrintable(answers.texts[0]));
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("6"));
        QCOMPARE(element<QRadioButton>("Option1", 0)->text(), QStringLiteral("e,7,1"));
    }

    void answerNotesReachTheTrafficLog()
    {
        connectToPty();
        FarEnd device(pty->farPath());
        const QString log = dir.filePath(QStringLiteral("traffic.txt"));
        auto& answers = freshDialogs();
        answers.paths << log;
        child<QAction>("mnu_traffic_log")->trigger();
        tessa::Session session = benchSession();
        session.portNumber = 3;
        session.line = {};  // what a pty takes, so that nothing is refused
        QVERIFY(form->openSession(writeSession("notes.tessa", session)));
        QVERIFY(device.write(QByteArray("\x07\x01", 2)));
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QFile file(log);
                return file.open(QIODevice::ReadOnly) && file.readAll().contains("\tNOTE\t0\t\tbell heard\n");
            }(),
            5000);
        child<QAction>("mnu_traffic_log")->trigger();
    }

    void pollingFromTheToolsMenu()
    {
        child<QComboBox>("Combo1")->setCurrentText(QStringLiteral("115200"));
        connectToPty();
        tessa::testing::ModbusSlave slave(pty->farPath());
        QVERIFY(slave.ready());
        child<QAction>("mnu_modbus_polling")->trigger();
        child<QLineEdit>("PollRequest")->setText(QStringLiteral("1,3,0x200,2"));
        child<QSpinBox>("PollPeriod")->setValue(0);
        child<QSpinBox>("PollCount")->setValue(200);
        const QString csv = dir.filePath(QStringLiteral("poll.csv"));
        child<QLineEdit>("PollCsv")->setText(csv);
        button("PollStart")->click();
        QVERIFY(!button("PollStart")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(button("PollStart")->isEnabled(), 60000);
        QCOMPARE(child<QLabel>("PollGood")->text(), QStringLiteral("200"));
        QCOMPARE(child<QLabel>("PollNoReply")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLabel>("PollValues")->text(), QStringLiteral("4660 43981"));
        QVERIFY(!child<QLabel>("PollRoundTrip")->text().startsWith('-'));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 201);

        // Exception replies, and a poll until Stop.
        child<QLineEdit>("PollRequest")->setText(QStringLiteral("1,3,0x302,1"));
        child<QSpinBox>("PollCount")->setValue(0);
        child<QSpinBox>("PollPeriod")->setValue(10);
        child<QLineEdit>("PollCsv")->clear();
        button("PollStart")->click();
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("PollException")->text().toInt() >= 3, 20000);
        button("PollStop")->click();
        QVERIFY(button("PollStart")->isEnabled());
        QCOMPARE(child<QLabel>("PollGood")->text(), QStringLiteral("0"));

        // What cannot be asked is said, and nothing is sent.
        child<QLineEdit>("PollRequest")->setText(QStringLiteral("1,3,0x200,200"));
        button("PollStart")->click();
        QVERIFY2(child<QLabel>("PollState")->text().contains(QStringLiteral("count 200")),
                 qPrintable(child<QLabel>("PollState")->text()));
        QVERIFY(button("PollStart")->isEnabled());
    }
};

TESSA_WINDOW_TEST_MAIN(UnattendedWindowTest)
#include "unattended_window_test.moc"
