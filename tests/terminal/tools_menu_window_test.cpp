// Tools menu: answer rules edited in their dialog and kept, answering on the port; a script run
// from the window with its output and Stop, against a pty.
#include "answers/answer_store.h"
#include "support/form_test.h"
#include "support/window_test_main.h"
#include "window/tools_menu/answers_dialog.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

using tessa::testing::FarEnd;

class ToolsMenuWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

    QTemporaryDir dir;

    QString writeScript(const char* name, const QByteArray& text)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(text);
        return file.fileName();
    }

private slots:
    void init()
    {
        forgetSettingsAndPorts();
        showForm();
        connectToPty();
    }
    void cleanup() { closeFormAndPty(); }

    void answersAreEditedKeptAndAnswer()
    {
        auto& answers = freshDialogs();
        answers.dialogAnswers << [](QDialog& dialog) {
            auto& d = static_cast<tessa::AnswersDialog&>(dialog);
            d.addRule({});
            auto* table = d.findChild<QTableWidget*>("AnswersTable");
            table->item(0, tessa::AnswersDialog::Name)->setText("id");
            table->item(0, tessa::AnswersDialog::Pattern)->setText("ID?\\r");
            table->item(0, tessa::AnswersDialog::Action)->setText("send");
            table->item(0, tessa::AnswersDialog::Data)->setText("01 02");
            table->item(0, tessa::AnswersDialog::Options)->setText("hex crc");
            d.findChild<QSpinBox*>("AnswersRate")->setValue(5);
            d.accept();
        };
        child<QAction>("mnu_answers")->trigger();
        QVERIFY(answers.texts.isEmpty());
        const auto stored = tessa::loadAnswerRules(tessa::SettingsStore());
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].pattern, QStringLiteral("ID?\\r"));
        QCOMPARE(tessa::loadAnswerRate(tessa::SettingsStore()), 5);

        FarEnd device(pty->farPath());
        QVERIFY(device.write("xxID"));
        QVERIFY(device.write("?\r"));
        QCOMPARE(device.read(4, 5000), QByteArray::fromHex("010281E1"));

        // A rule that cannot be used is refused with its reason, and the kept rules stay.
        answers.dialogAnswers << [](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>("AnswersTable");
            table->item(0, tessa::AnswersDialog::Data)->setText("01 0Z");
            dialog.accept();
        };
        child<QAction>("mnu_answers")->trigger();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts[0].contains("Rule 1 (id): frame"), qPrintable(answers.texts[0]));
        QCOMPARE(tessa::loadAnswerRules(tessa::SettingsStore()), stored);
    }

    void scriptRunsWithItsOutputAndStops()
    {
        FarEnd device(pty->farPath());
        auto& answers = freshDialogs();
        answers.paths << writeScript("hello.lua", R"(
step("hello", function()
  send_line("hello")
  log("device said", expect("hi*\r\n", 5000))
end))");
        child<QAction>("mnu_run_script")->trigger();
        QCOMPARE(device.read(7, 5000), QByteArray("hello\r\n"));
        QVERIFY(device.write("hi there\r\n"));
        auto* status = child<QLabel>("ScriptStatus");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("passed"), 10000);
        QVERIFY(child<QPlainTextEdit>("ScriptOutput")->toPlainText().contains("device said\thi there"));

        answers.paths << writeScript("spin.lua", "while true do end");
        child<QAction>("mnu_run_script")->trigger();
        QCOMPARE(status->text(), QStringLiteral("running"));
        QTest::qWait(100);  // the window goes on while the script computes
        button("ScriptStop")->click();
        QCOMPARE(status->text(), QStringLiteral("stopped: stopped"));
        QVERIFY(form->comm1().isOpen());
    }
};

TESSA_WINDOW_TEST_MAIN(ToolsMenuWindowTest)
#include "tools_menu_window_test.moc"
