#pragma once

#include "answers/answer_engine.h"
#include "headless/program_replay.h"
#include "headless/run_options.h"
#include "script/script_runner.h"
#include "serial/serial_port.h"
#include "trafficlog/traffic_log.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QTextStream>

#include <memory>

namespace tessa {

// One headless run: opens the port, starts the traffic log and the answer rules, runs the script,
// the program or a Modbus poll, writes the JUnit report, and says how it went with an exit
// status. A poll passes when every request had a good reply (its one JUnit test case "poll"
// carries the verdict counts and round trips); a poll of count 0 runs until stop().
//
// Example (tessa-run's main):
//   HeadlessRun run(options, out);
//   QObject::connect(&run, &HeadlessRun::finished, &app, &QCoreApplication::exit);
//   run.start();
class HeadlessRun : public QObject {
    Q_OBJECT
public:
    static constexpr int kPassed = 0;  // every step passed (a program: every pass ran)
    static constexpr int kFailed = 1;  // a step failed, the script raised an error or was stopped
    static constexpr int kUnusable = 2;  // the port, the script, a file or the options unusable

    // out receives the output lines and the summary.
    HeadlessRun(RunOptions options, QTextStream& out, QObject* parent = nullptr);
    ~HeadlessRun() override;

    // Starts the run; finished() follows (at once when something cannot be used).
    void start();
    // Ends a running script or program (SIGINT, SIGTERM): it counts as failed.
    void stop();

signals:
    void finished(int exitStatus);

private:
    void say(const QString& line);
    void fail(int status, const QString& message);
    void scriptFinished(const ScriptOutcome& outcome);
    void end(int status, const ScriptOutcome& outcome);
    bool loadAnswers(QString& error);
    void startPoll();
    void pollFinished(bool writeFailed);

    RunOptions options_;
    QTextStream& out_;
    SerialPort port_;
    TrafficLog log_;
    AnswerEngine answers_;
    std::unique_ptr<ScriptRunner> script_;
    std::unique_ptr<ProgramReplay> program_;
    std::unique_ptr<ModbusPoller> poller_;
    QFile csv_;
    bool pollStopped_ = false;
    QDateTime started_;
    bool ended_ = false;
};

}  // namespace tessa
