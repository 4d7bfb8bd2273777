#include "window/tools_menu/tools_menu.h"

#include "answers/answer_store.h"
#include "script/script_runner.h"
#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "window/dialogs.h"
#include "window/tools_menu/answers_dialog.h"
#include "window/tools_menu/poll_panel.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

constexpr qint64 kMaxScriptBytes = 4 * 1024 * 1024;
const QString kLastScriptKey = u"LAST SCRIPT"_s;  // the path of the last script run

}  // namespace

ToolsMenu::ToolsMenu(QWidget* window, QMenuBar& menuBar, SerialPort& port, SettingsStore& settings, Dialogs& dialogs,
                     std::function<void(const QString&)> logNote)
    : QObject(window)
    , window_(window)
    , port_(port)
    , portAlive_(&port)
    , settings_(settings)
    , dialogs_(dialogs)
    , logNote_(std::move(logNote))
    , answers_({.send = [this](const QByteArray& bytes) { port_.write(bytes); },
                .note =
                    [this](const QString& note) {
                        logNote_(note);
                        if (output_)
                            output_->appendPlainText(u"answer: "_s + note);
                    },
                .stopRun = [this] { script_->stop(u"stopped by an answer rule"_s); }})
{
    script_ = new ScriptRunner({[this](QByteArrayView bytes) { return port_.write(bytes); }, &port_}, this);
    connect(script_, &ScriptRunner::note, this, [this](const QString& text) { logNote_(text); });
    QMenu* tools = menuBar.addMenu(u"&Tools"_s);
    tools->setObjectName(u"mnu_tools"_s);
    QAction* answersItem = tools->addAction(u"&Answers..."_s);
    answersItem->setObjectName(u"mnu_answers"_s);
    QAction* runItem = tools->addAction(u"&Run script..."_s);
    runItem->setObjectName(u"mnu_run_script"_s);
    connect(answersItem, &QAction::triggered, this, &ToolsMenu::editAnswers);
    connect(runItem, &QAction::triggered, this, &ToolsMenu::chooseAndRunScript);
    QAction* pollItem = tools->addAction(tr("Modbus &polling..."));
    pollItem->setObjectName(u"mnu_modbus_polling"_s);
    pollItem->setToolTip(tr("Send one Modbus request again and again and count the verdicts of the replies"));
    tools->setToolTipsVisible(true);
    connect(pollItem, &QAction::triggered, this, [this] { openPollPanel(); });

    // The one received route: the port's received signal, delivered as the chunks come while
    // rules or a script wait for them.
    connect(&port_, &SerialPort::received, this, [this](const ReceivedChunk& chunk) {
        answers_.feed(chunk.bytes, chunk.steadyUs / 1000);
        script_->received(chunk.bytes);
    });
    connect(&port_, &SerialPort::lost, this, [this] { script_->stop(u"the port was lost"_s); });
    applyRules(loadAnswerRules(settings_), loadAnswerRate(settings_));
    lastScript_ = settings_.read(kLastScriptKey, QString());
}

ToolsMenu::~ToolsMenu()
{
    if (!portAlive_)
        return;
    port_.deliverOnArrival(this, false);
    port_.deliverOnArrival(script_, false);
}

void ToolsMenu::applyRules(const QList<AnswerRule>& rules, int actionsPerSecond)
{
    answers_.setRules(rules);
    answers_.setActionsPerSecond(actionsPerSecond);
    bool any = false;
    for (const auto& rule : rules)
        any = any || rule.enabled;
    port_.deliverOnArrival(this, any);
}

void ToolsMenu::editAnswers()
{
    AnswersDialog dialog(
        answers_.rules(), answers_.actionsPerSecond(), [this](int rule) { return answers_.matchCount(rule); }, window_);
    if (dialogs_.run(dialog) != QDialog::Accepted)
        return;
    QStringList problems;
    const QList<AnswerRule> rules = dialog.rules(&problems);
    if (!problems.isEmpty()) {
        dialogs_.message(window_, QMessageBox::Warning, u"Answers"_s,
                         u"The rules were not changed:\n"_s + problems.join(u'\n'));
        return;
    }
    setAnswers(rules, dialog.actionsPerSecond());
}

void ToolsMenu::setAnswers(const QList<AnswerRule>& rules, int actionsPerSecond)
{
    saveAnswerRules(settings_, rules);
    saveAnswerRate(settings_, actionsPerSecond);
    applyRules(rules, actionsPerSecond);
}

void ToolsMenu::setLastScript(const QString& path)
{
    lastScript_ = path;
    settings_.write(kLastScriptKey, path);
}

PollPanel& ToolsMenu::pollPanel()
{
    if (!pollPanel_)
        pollPanel_ = new PollPanel(port_, dialogs_, window_);
    return *pollPanel_;
}

PollPanel& ToolsMenu::openPollPanel()
{
    pollPanel();
    pollPanel_->show();
    pollPanel_->raise();
    return *pollPanel_;
}

void ToolsMenu::chooseAndRunScript()
{
    const auto path =
        dialogs_.openFileName(window_, u"Lua script (*.lua);;All files (*)"_s, lastScript_, u"Run script"_s);
    if (path)
        runScript(*path);
}

void ToolsMenu::runScript(const QString& path)
{
    if (!pane_) {
        pane_ = new QWidget(window_, Qt::Window);
        pane_->setObjectName(u"ScriptPane"_s);
        pane_->setWindowTitle(u"Script"_s);
        output_ = new QPlainTextEdit(pane_);
        output_->setObjectName(u"ScriptOutput"_s);
        output_->setReadOnly(true);
        output_->setMaximumBlockCount(10000);
        stop_ = new QPushButton(u"Stop"_s, pane_);
        stop_->setObjectName(u"ScriptStop"_s);
        status_ = new QLabel(pane_);
        status_->setObjectName(u"ScriptStatus"_s);
        auto* layout = new QVBoxLayout(pane_);
        layout->addWidget(output_);
        layout->addWidget(status_);
        layout->addWidget(stop_);
        pane_->resize(640, 400);
        connect(stop_, &QPushButton::clicked, this, [this] { script_->stop(u"stopped"_s); });
        connect(script_, &ScriptRunner::output, output_, &QPlainTextEdit::appendPlainText);
        connect(script_, &ScriptRunner::finished, this, [this](const ScriptOutcome& outcome) {
            port_.deliverOnArrival(script_, false);
            stop_->setEnabled(false);
            static const QString names[] = {u"passed"_s, u"FAILED"_s, u"stopped"_s, u"could not be run"_s};
            status_->setText(names[static_cast<int>(outcome.status)]
                             + (outcome.message.isEmpty() ? QString() : u": "_s + outcome.message));
        });
    }
    pane_->show();
    pane_->raise();
    setLastScript(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        output_->appendPlainText(u"%1: %2"_s.arg(path, file.errorString()));
        return;
    }
    const QByteArray source = file.read(kMaxScriptBytes);
    output_->appendPlainText(u"-- %1"_s.arg(QFileInfo(path).fileName()));
    status_->setText(u"running"_s);
    stop_->setEnabled(true);
    port_.deliverOnArrival(script_, true);
    script_->start(source, QFileInfo(path).fileName());
}

}  // namespace tessa
