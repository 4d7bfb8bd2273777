#pragma once

#include "answers/answer_engine.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tessa {

class Dialogs;
class PollPanel;
class ScriptRunner;
class SerialPort;
class SettingsStore;

// The Tools menu: "Answers..." (the answer rules, kept in the settings and applied to every
// chunk the port receives) and "Run script..." (a Lua script on the open port, its output in a
// pane of its own with a Stop button) and "Modbus polling..." (poll_panel.h). Everything is made
// and wired here; the window only makes the menu. Answer rules' notes and the script's log()
// lines go to logNote (the window's traffic log).
class ToolsMenu : public QObject {
    Q_OBJECT
public:
    ToolsMenu(QWidget* window, QMenuBar& menuBar, SerialPort& port, SettingsStore& settings, Dialogs& dialogs,
              std::function<void(const QString&)> logNote);
    ~ToolsMenu() override;

    AnswerEngine& answers() { return answers_; }
    // Puts rules and the rate limit (1..1000 actions per second) in force and in the settings,
    // as the answers dialog does.
    void setAnswers(const QList<AnswerRule>& rules, int actionsPerSecond);
    // The path of the last script run or chosen; Run script... starts there.
    QString lastScript() const { return lastScript_; }
    void setLastScript(const QString& path);
    ScriptRunner& scripts() { return *script_; }
    // Opens the answers dialog and applies what it holds when accepted.
    void editAnswers();
    // Asks for a script file and runs it.
    void chooseAndRunScript();
    // Runs the script in path; the pane shows its output.
    void runScript(const QString& path);
    // The Modbus polling panel, made (hidden) on first use.
    PollPanel& pollPanel();
    // Shows the Modbus polling panel and returns it.
    PollPanel& openPollPanel();

private:
    void applyRules(const QList<AnswerRule>& rules, int actionsPerSecond);

    QWidget* window_;
    SerialPort& port_;
    // The window may delete the port first when it closes; the wishes left with it go with it.
    QPointer<SerialPort> portAlive_;
    SettingsStore& settings_;
    Dialogs& dialogs_;
    std::function<void(const QString&)> logNote_;
    AnswerEngine answers_;
    ScriptRunner* script_ = nullptr;
    QWidget* pane_ = nullptr;
    QPlainTextEdit* output_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* status_ = nullptr;
    QString lastScript_;
    PollPanel* pollPanel_ = nullptr;
};

}  // namespace tessa
