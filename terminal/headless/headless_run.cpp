#include "headless/headless_run.h"

#include "answers/answer_store.h"
#include "headless/junit_report.h"
#include "program/program_file.h"
#include "serial/port_number.h"
#include "settings/settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace tessa {

namespace {

// Scripts larger than this are not loaded.
constexpr qint64 kMaxScriptBytes = 4 * 1024 * 1024;

QString portPath(const QString& port)
{
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    if (!isNumber)
        return port;
    if (!isPortNumberInTables(number) || number < kLowestPortNumber)
        return {};
    const SettingsStore store;
    return devicePathForPort(number, &store);
}

}  // namespace

HeadlessRun::HeadlessRun(RunOptions options, QTextStream& out, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
    , out_(out)
    , answers_({.send = [this](const QByteArray& bytes) { port_.write(bytes); },
                .note = [this](const QString& note) { log_.record(TrafficDirection::Note, note.toUtf8()); },
                .stopRun = [this] { stop(); }})
{
}

HeadlessRun::~HeadlessRun() = default;

void HeadlessRun::say(const QString& line)
{
    out_ << line << Qt::endl;
}

bool HeadlessRun::loadAnswers(QString& error)
{
    if (options_.answersFile.isEmpty())
        return true;
    QFile file(options_.answersFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("answers file %1: %2").arg(options_.answersFile, file.errorString());
        return false;
    }
    QString why;
    const auto rules = answerRulesFromJson(QString::fromUtf8(file.read(kMaxScriptBytes)), &why);
    if (!rules) {
        error = QStringLiteral("answers file %1: %2").arg(options_.answersFile, why);
        return false;
    }
    for (const auto& rule : *rules) {
        if (const QString problem = answerRuleProblem(rule); !problem.isEmpty()) {
            error = QStringLiteral("answers file %1: rule \"%2\": %3").arg(options_.answersFile, rule.name, problem);
            return false;
        }
    }
    answers_.setRules(*rules);
    answers_.setActionsPerSecond(options_.actionsPerSecond);
    return true;
}

void HeadlessRun::start()
{
    started_ = QDateTime::currentDateTime();
    QString error;
    if (!loadAnswers(error)) {
        fail(kUnusable, error);
        return;
    }
    QByteArray source;
    QStringList records;
    if (!options_.script.isEmpty()) {
        QFile file(options_.script);
        if (!file.open(QIODevice::ReadOnly)) {
            fail(kUnusable, QStringLiteral("script %1: %2").arg(options_.script, file.errorString()));
            return;
        }
        source = file.read(kMaxScriptBytes + 1);
        if (source.size() > kMaxScriptBytes) {
            fail(kUnusable,
                 QStringLiteral("script %1 is larger than %2 MB").arg(options_.script).arg(kMaxScriptBytes >> 20));
            return;
        }
    } else if (!options_.poll) {
        QFile file(options_.program);
        if (!file.open(QIODevice::ReadOnly)) {
            fail(kUnusable, QStringLiteral("program %1: %2").arg(options_.program, file.errorString()));
            return;
        }
        const ProgramFileLoad load = readProgramFile(file);
        for (const QString& message : load.messages())
            say(message);
        if (load.records.isEmpty()) {
            fail(kUnusable, QStringLiteral("program %1 holds no record that can be sent").arg(options_.program));
            return;
        }
        records = load.records;
    }

    const QString path = portPath(options_.port);
    if (path.isEmpty()) {
        fail(kUnusable,
             QStringLiteral("port %1 is not a port number 1..%2 or a device path")
                 .arg(options_.port)
                 .arg(kHighestPortNumber));
        return;
    }
    port_.setPortResolver([path](int) { return path; });
    port_.setPortNumber(1);
    port_.setSettings(lineSettingsText(options_.line));
    port_.setLineFraming(options_.line);
    if (!port_.open()) {
        fail(kUnusable, QStringLiteral("port %1: %2").arg(path, port_.errorString()));
        return;
    }
    if (!port_.lineRefusal().isEmpty())
        say(QStringLiteral("port %1: %2").arg(path, port_.lineRefusal()));
    // Every chunk at once (there is no receive tick here), for the log, the answers and the script.
    port_.deliverOnArrival(this, true);
    if (!options_.logFile.isEmpty() && !log_.start(options_.logFile)) {
        fail(kUnusable, QStringLiteral("log %1: %2").arg(options_.logFile, log_.errorString()));
        return;
    }
    connect(&port_, &SerialPort::sent, this,
            [this](QByteArrayView bytes) { log_.record(TrafficDirection::Tx, bytes); });
    connect(&port_, &SerialPort::received, this, [this](const ReceivedChunk& chunk) {
        log_.record(TrafficDirection::Rx, chunk.bytes, {chunk.wallMs, chunk.steadyUs});
        if (script_)
            script_->received(chunk.bytes);
        answers_.feed(chunk.bytes, chunk.steadyUs / 1000);
    });
    connect(&port_, &SerialPort::lost, this, [this] {
        log_.record(TrafficDirection::Note, "port lost");
        if (script_)
            script_->stop(QStringLiteral("the port was lost"));
        if (program_)
            program_->stop();
        if (poller_)
            poller_->stop();
    });
    connect(&log_, &TrafficLog::failed, this,
            [this](const QString& message) { say(QStringLiteral("traffic log stopped: %1").arg(message)); });

    if (!options_.script.isEmpty()) {
        script_ = std::make_unique<ScriptRunner>(
            ScriptRunner::Line {[this](QByteArrayView b) { return port_.write(b); }, &port_});
        if (!options_.quiet)
            connect(script_.get(), &ScriptRunner::output, this, &HeadlessRun::say);
        connect(script_.get(), &ScriptRunner::note, this,
                [this](const QString& note) { log_.record(TrafficDirection::Note, note.toUtf8()); });
        connect(script_.get(), &ScriptRunner::finished, this, &HeadlessRun::scriptFinished);
        script_->start(source, QFileInfo(options_.script).fileName());
        return;
    }
    if (options_.poll) {
        startPoll();
        return;
    }
    program_ = std::make_unique<ProgramReplay>([this](QByteArrayView b) { return port_.write(b); });
    connect(program_.get(), &ProgramReplay::finished, this, [this](bool ok, const QString& message) {
        const QString name = QFileInfo(options_.program).fileName();
        ScriptOutcome outcome;
        outcome.status = ok ? ScriptOutcome::Status::Passed : ScriptOutcome::Status::Failed;
        outcome.message = message;
        outcome.steps.append(
            {name, ok, message, static_cast<double>(started_.msecsTo(QDateTime::currentDateTime())) / 1000});
        say(ok ? QStringLiteral("program %1: %2 records sent in %3 passes")
                     .arg(name)
                     .arg(program_->recordsSent())
                     .arg(options_.loops)
               : QStringLiteral("program %1: %2").arg(name, message));
        end(ok ? kPassed : kFailed, outcome);
    });
    program_->start(records, options_.loops);
}

void HeadlessRun::stop()
{
    if (script_ && script_->isRunning())
        script_->stop(QStringLiteral("stopped"));
    else if (program_ && program_->isRunning())
        program_->stop();
    else if (poller_ && poller_->isRunning()) {
        pollStopped_ = true;
        poller_->stop();
    }
}

void HeadlessRun::startPoll()
{
    if (!options_.csvFile.isEmpty()) {
        csv_.setFileName(options_.csvFile);
        if (!csv_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(kUnusable, QStringLiteral("CSV log %1: %2").arg(options_.csvFile, csv_.errorString()));
            return;
        }
    }
    poller_ = std::make_unique<ModbusPoller>([this](QByteArrayView b) { return port_.write(b); });
    if (csv_.isOpen())
        poller_->setCsvLog(&csv_);
    connect(&port_, &SerialPort::received, poller_.get(),
            [this](const ReceivedChunk& chunk) { poller_->received(chunk); });
    if (!options_.quiet)
        connect(poller_.get(), &ModbusPoller::requestDone, this, [this](const PollRecord& record) {
            if (record.verdict != ModbusVerdict::Good)
                say(QStringLiteral("request %1: %2 (reply %3)")
                        .arg(record.index)
                        .arg(modbusVerdictName(record.verdict), QString::fromLatin1(record.reply.bytes.toHex(' '))));
        });
    connect(poller_.get(), &ModbusPoller::finished, this, &HeadlessRun::pollFinished);
    if (!poller_->start(*options_.poll))
        fail(kUnusable, QStringLiteral("the poll's settings are out of range"));
}

void HeadlessRun::pollFinished(bool writeFailed)
{
    if (csv_.isOpen())
        csv_.close();
    const PollStatistics& statistics = poller_->statistics();
    const qint64 bad = statistics.total() - statistics.count(ModbusVerdict::Good);
    // A poll of no count ends by being stopped; one with a count that is stopped did not finish.
    const bool cutShort = pollStopped_ && options_.poll->count > 0;
    const bool passed = !writeFailed && !cutShort && bad == 0 && statistics.total() > 0;
    ScriptOutcome outcome;
    outcome.status = passed ? ScriptOutcome::Status::Passed : ScriptOutcome::Status::Failed;
    outcome.message = writeFailed ? QStringLiteral("the port refused a request; %1").arg(statistics.summary())
        : cutShort                ? QStringLiteral("stopped; %1").arg(statistics.summary())
                                  : statistics.summary();
    outcome.steps.append({QStringLiteral("poll"), passed, outcome.message,
                          static_cast<double>(started_.msecsTo(QDateTime::currentDateTime())) / 1000});
    say(QStringLiteral("%1: %2").arg(passed ? QStringLiteral("PASSED") : QStringLiteral("FAILED"), outcome.message));
    end(writeFailed ? kUnusable : passed ? kPassed : kFailed, outcome);
}

void HeadlessRun::fail(int status, const QString& message)
{
    ScriptOutcome outcome;
    outcome.status = ScriptOutcome::Status::Unusable;
    outcome.message = message;
    say(QStringLiteral("tessa-run: %1").arg(message));
    end(status, outcome);
}

void HeadlessRun::scriptFinished(const ScriptOutcome& outcome)
{
    int passed = 0;
    for (const auto& step : outcome.steps)
        passed += step.passed ? 1 : 0;
    switch (outcome.status) {
    case ScriptOutcome::Status::Passed:
        say(QStringLiteral("PASSED: %1 of %2 steps").arg(passed).arg(outcome.steps.size()));
        end(kPassed, outcome);
        return;
    case ScriptOutcome::Status::Unusable:
        say(QStringLiteral("UNUSABLE: %1").arg(outcome.message));
        end(kUnusable, outcome);
        return;
    case ScriptOutcome::Status::Failed:
    case ScriptOutcome::Status::Stopped:
        for (const auto& step : outcome.steps) {
            if (!step.passed)
                say(QStringLiteral("FAILED: step \"%1\": %2").arg(step.name, step.message));
        }
        if (outcome.status == ScriptOutcome::Status::Stopped)
            say(QStringLiteral("STOPPED: %1").arg(outcome.message));
        end(kFailed, outcome);
        return;
    }
}

void HeadlessRun::end(int status, const ScriptOutcome& outcome)
{
    if (ended_)
        return;
    ended_ = true;
    if (!options_.junitFile.isEmpty()) {
        const QString suite = options_.poll
            ? QStringLiteral("poll")
            : QFileInfo(options_.script.isEmpty() ? options_.program : options_.script).completeBaseName();
        QString error;
        if (!writeJunitReport(options_.junitFile, junitReport(outcome, suite, started_), &error)) {
            say(QStringLiteral("tessa-run: JUnit report %1: %2").arg(options_.junitFile, error));
            status = std::max(status, kUnusable);
        }
    }
    // The last bytes out before the log ends.
    if (port_.isOpen())
        port_.close();
    log_.stop();
    // Reported from the event loop, so that a caller connected after start() hears it too.
    QTimer::singleShot(0, this, [this, status] { emit finished(status); });
}

}  // namespace tessa
